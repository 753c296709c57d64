#pragma once
// "Ghid de utilizare": the user's guide, the program's own docs/ghid.md, beside its table of
// contents. The README points to the same file, so the guide is written once.

#include <QWidget>

class QTextBrowser;
class QTreeWidget;

namespace formulix {

class GuideWindow : public QWidget
{
    Q_OBJECT
public:
    explicit GuideWindow(QWidget *parent = nullptr);

    // The guide as it is built into the program.
    static QString guideText();

    QTextBrowser *text() const { return m_text; }
    // Every heading below the title, a click on one brings it to the top of the text.
    QTreeWidget *contents() const { return m_contents; }

private:
    QTextBrowser *m_text = nullptr;
    QTreeWidget *m_contents = nullptr;
};

} // namespace formulix
