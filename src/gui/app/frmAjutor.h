#pragma once
// The help window: the usage text in one scrollable text box.

#include <QWidget>

namespace formulix {

class TextBox;

class frmAjutor : public QWidget
{
    Q_OBJECT
public:
    explicit frmAjutor(QWidget *parent = nullptr);

    TextBox *Text1 = nullptr;

    // The usage text, assembled from its fixed pieces.
    static QString usageText();

    void Form_Resize();

protected:
    void resizeEvent(QResizeEvent *event) override;
};

} // namespace formulix
