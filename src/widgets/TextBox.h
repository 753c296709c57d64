#pragma once
// A multi-line text box whose text uses CR LF line breaks, so text assembled from pieces with
// CR LF reads back exactly as it was put in.

#include <QPlainTextEdit>

namespace formulix {

class TextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // Appends at the end, as assigning SelText at the end of the text does.
    void appendText(const QString &text);
};

} // namespace formulix
