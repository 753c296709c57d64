#include "gui/app/GuideWindow.h"

#include "widgets/ActivationTracker.h"
#include "widgets/Controls.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace formulix {

namespace {

constexpr int BlockRole = Qt::UserRole; // an entry's heading: its block's position in the text

} // namespace

QString GuideWindow::guideText()
{
    QFile file(QStringLiteral(":/docs/ghid.md"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // The notes left in the file for its writers are not for the reader.
    static const QRegularExpression notes(QStringLiteral("<!--.*?-->\\n?"), QRegularExpression::DotMatchesEverythingOption);
    return QString::fromUtf8(file.readAll()).remove(notes);
}

GuideWindow::GuideWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Ghid de utilizare"));
    ActivationTracker::registerWindow(this);

    m_contents = new QTreeWidget(this);
    m_contents->setHeaderLabel(QStringLiteral("Cuprins"));
    m_contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_text = new QTextBrowser(this);
    m_text->setOpenExternalLinks(true);
    m_text->setMarkdown(guideText());

    // The contents: every heading but the title, under the heading above it.
    QList<QTreeWidgetItem *> parents;
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3)
            continue;
        parents.resize(level - 1);
        QTreeWidgetItem *above = level == 3 && !parents.isEmpty() ? parents.constLast() : nullptr;
        auto *item = above ? new QTreeWidgetItem(above) : new QTreeWidgetItem(m_contents);
        item->setText(0, block.text());
        item->setData(0, BlockRole, block.position());
        parents.append(item);
    }
    m_contents->expandAll();
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const QTextBlock block = m_text->document()->findBlock(item->data(0, BlockRole).toInt());
        m_text->verticalScrollBar()->setValue(int(m_text->document()->documentLayout()->blockBoundingRect(block).top()));
    });

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(1, 1);
    // The contents whole, none of its entries cut short.
    m_contents->resizeColumnToContents(0);
    const int contentsWidth = m_contents->columnWidth(0) + 2 * m_contents->frameWidth()
        + m_contents->verticalScrollBar()->sizeHint().width();
    splitter->setSizes({contentsWidth, 640});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    giveDialogKeys(this);
    resize(contentsWidth + 640, 640);
}

} // namespace formulix
