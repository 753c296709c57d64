#include "gui/print/PreviewWindow.h"

#include "widgets/Units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace formulix {

namespace {

// The paper on screen: it paints itself through its window.
class PageView : public QWidget
{
public:
    explicit PageView(PreviewWindow *window) : QWidget(nullptr), m_window(window) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        painter.translate(Margin, Margin);
        m_window->paintPage(painter, m_window->zoom() * formulix::pixelsPerMm(logicalDpi(this)));
    }

public:
    static constexpr int Margin = 12;

private:
    PreviewWindow *m_window;
};

const double FitPage = -1, FitWidth = -2;

} // namespace

PreviewWindow::PreviewWindow(std::unique_ptr<RecordPages> pages, const Layout &layout, const Picture &form,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), m_pages(std::move(pages)), m_layout(layout), m_form(form)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Previzualizare"));
    const std::unique_ptr<PageJob> paper = PageJob::forPreview();
    paper->prepare(layout.orientation);
    m_paperMm = paper->paperMm();
    m_printableMm = paper->printableMm();
    // The calibration sheet is drawn for this paper, and never corrected.
    m_pages->setSheet({{m_paperMm, m_printableMm}, paper->profileOwner(), false, {}});
    if (!m_pages->isCalibrationSheet())
        m_profile = ProfileStore::load(paper->profileOwner());

    auto *first = new QPushButton(QStringLiteral("|<"), this);
    auto *previous = new QPushButton(QStringLiteral("<"), this);
    auto *next = new QPushButton(QStringLiteral(">"), this);
    auto *last = new QPushButton(QStringLiteral(">|"), this);
    for (QPushButton *button : {first, previous, next, last})
        button->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("M>|M")) + 8);
    first->setToolTip(QStringLiteral("Prima pagina"));
    previous->setToolTip(QStringLiteral("Pagina anterioara"));
    next->setToolTip(QStringLiteral("Pagina urmatoare"));
    last->setToolTip(QStringLiteral("Ultima pagina"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setRange(1, int(std::clamp<qint64>(pageCount(), 1, 999999999)));
    m_pageTotal = new QLabel(QStringLiteral("din %1").arg(pageCount()), this);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->addItem(QStringLiteral("Toata pagina"), FitPage);
    m_zoomBox->addItem(QStringLiteral("Latimea paginii"), FitWidth);
    for (const int percent : {50, 75, 100, 150, 200, 400})
        m_zoomBox->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
    m_showForm = new QCheckBox(QStringLiteral("Arata macheta"), this);
    m_showForm->setEnabled(!m_form.isNull());
    m_showCorrection = new QCheckBox(QStringLiteral("Arata corectia imprimantei"), this);
    m_showCorrection->setEnabled(!m_profile.isIdentity());
    m_showCorrection->setToolTip(m_profile.isIdentity()
                                     ? QStringLiteral("Pentru %1 nu este salvata nicio corectie (Fisiere > Calibrare...).")
                                           .arg(profileOwnerShown(paper->profileOwner()))
                                     : QStringLiteral("Corectia pentru %1: %2.")
                                           .arg(profileOwnerShown(paper->profileOwner()), m_profile.described()));
    m_print = new QPushButton(QStringLiteral("Tipareste"), this);
    auto *close = new QPushButton(QStringLiteral("Inchide"), this);

    auto *bar = new QHBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{first, previous, m_pageBox, m_pageTotal, next, last})
        bar->addWidget(widget);
    bar->addSpacing(16);
    bar->addWidget(m_zoomBox);
    bar->addWidget(m_showForm);
    bar->addWidget(m_showCorrection);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(close);

    m_view = new PageView(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    auto *layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(bar);
    layoutBox->addWidget(m_scroll, 1);

    connect(first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(last, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, [this] { fitZoom(); });
    connect(m_showForm, &QCheckBox::toggled, m_view, qOverload<>(&QWidget::update));
    connect(m_showCorrection, &QCheckBox::toggled, m_view, qOverload<>(&QWidget::update));
    connect(m_print, &QPushButton::clicked, this, &PreviewWindow::printRequested);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    resize(900, 700);
    showPage(0);
    fitZoom();
}

PreviewWindow::~PreviewWindow() = default;

// "Toata pagina" and "Latimea paginii" follow the window's size.
void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_zoomBox->currentData().toDouble() < 0)
        fitZoom();
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitZoom();
}

qint64 PreviewWindow::pageCount() const
{
    return m_pages->pageCount();
}

bool PreviewWindow::loadTexts(qint64 index, PageContent *texts, QString *error) const
{
    return m_pages->page(index, texts, error);
}

void PreviewWindow::showPage(qint64 index)
{
    index = std::clamp<qint64>(index, 0, qMax<qint64>(0, pageCount() - 1));
    m_page = index;
    m_error.clear();
    m_texts = {};
    if (!loadTexts(index, &m_texts, &m_error) && m_error.isEmpty())
        m_error = QStringLiteral("Pagina %1 nu poate fi aratata.").arg(index + 1);
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setValue(int(index + 1));
    m_view->update();
}

void PreviewWindow::fitZoom()
{
    const double chosen = m_zoomBox->currentData().toDouble();
    const double screen = formulix::pixelsPerMm(logicalDpi(this));
    const QSize room = m_scroll->viewport()->size() - QSize(2 * PageView::Margin, 2 * PageView::Margin);
    if (chosen == FitPage)
        m_zoom = qMin(room.width() / (m_paperMm.width() * screen), room.height() / (m_paperMm.height() * screen));
    else if (chosen == FitWidth)
        m_zoom = room.width() / (m_paperMm.width() * screen);
    else
        m_zoom = chosen;
    setZoom(m_zoom);
}

void PreviewWindow::setZoom(double zoom)
{
    m_zoom = qBound(0.05, zoom, 8.0);
    updateView();
}

void PreviewWindow::updateView()
{
    const double scale = m_zoom * formulix::pixelsPerMm(logicalDpi(this));
    m_view->resize(int(std::ceil(m_paperMm.width() * scale)) + 2 * PageView::Margin,
                   int(std::ceil(m_paperMm.height() * scale)) + 2 * PageView::Margin);
    m_view->update();
}

bool PreviewWindow::formShown() const
{
    return m_showForm->isChecked();
}

void PreviewWindow::setFormShown(bool shown)
{
    m_showForm->setChecked(shown && !m_form.isNull());
}

bool PreviewWindow::correctionShown() const
{
    return m_showCorrection->isChecked();
}

void PreviewWindow::setCorrectionShown(bool shown)
{
    m_showCorrection->setChecked(shown && !m_profile.isIdentity());
}

void PreviewWindow::paintPage(QPainter &painter, double pixelsPerMm) const
{
    const QRectF paper(QPointF(0, 0), m_paperMm * pixelsPerMm);
    painter.fillRect(paper, Qt::white);
    painter.save();
    painter.setClipRect(paper);
    // Where the printer cannot print, faintly.
    if (m_printableMm != QRectF(QPointF(0, 0), m_paperMm)) {
        painter.setPen(QPen(QColor(190, 190, 210), 0, Qt::DashLine));
        painter.drawRect(QRectF(m_printableMm.topLeft() * pixelsPerMm, m_printableMm.size() * pixelsPerMm));
    }
    painter.translate(m_printableMm.topLeft() * pixelsPerMm);
    if (m_error.isEmpty()) {
        const QTransform correction = correctionShown() ? m_profile.correction(m_paperMm) : QTransform();
        renderPage(painter, pixelsPerMm,
                   {m_layout.pageMm, m_printableMm, m_layout.offsetLeft, m_layout.offsetUp}, m_texts,
                   formShown() ? &m_form : nullptr, correction);
    } else {
        painter.setPen(Qt::darkRed);
        painter.drawText(QRectF(QPointF(0, 0), m_printableMm.size() * pixelsPerMm), Qt::AlignCenter | Qt::TextWordWrap,
                         m_error);
    }
    painter.restore();
}

QImage PreviewWindow::pageImage(qint64 index, double pixelsPerMm) const
{
    auto *self = const_cast<PreviewWindow *>(this);
    const qint64 shown = m_page;
    self->showPage(index);
    QImage image((m_paperMm * pixelsPerMm).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    if (m_error.isEmpty()) {
        QPainter painter(&image);
        paintPage(painter, pixelsPerMm);
    } else {
        image = QImage();
    }
    self->showPage(shown);
    return image;
}

} // namespace formulix
