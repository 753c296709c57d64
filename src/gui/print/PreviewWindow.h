#pragma once
// "Previzualizare": the pages exactly as they will print, on the printer's paper with its
// printable area and the offsets, one page drawn at a time as it is shown, so the preview of a
// whole table opens at once.

#include "core/pictures/Picture.h"
#include "printer/Printer.h"
#include "core/page/RecordPages.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace formulix {

class PreviewWindow : public QWidget
{
    Q_OBJECT
public:
    struct Layout
    {
        QSizeF pageMm;      // the page image (the canvas)
        double offsetLeft = 0;
        double offsetUp = 0;
        PageOrientation orientation = PageOrientation::Unchanged;
    };

    PreviewWindow(std::unique_ptr<RecordPages> pages, const Layout &layout, const Picture &form,
                  QWidget *parent = nullptr);
    ~PreviewWindow() override;

    qint64 pageCount() const;
    qint64 pagesComposed() const { return m_pages->pagesMade(); }
    qint64 currentPage() const { return m_page; }
    void showPage(qint64 index);
    // Millimetres to screen pixels: the zoom times the screen's own scale.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    bool formShown() const;
    void setFormShown(bool shown);
    // "Arata corectia imprimantei": the pages as the printer's profile sends them, which only a
    // profile other than none can show.
    const PrinterProfile &profile() const { return m_profile; }
    bool correctionShown() const;
    void setCorrectionShown(bool shown);
    QSizeF paperMm() const { return m_paperMm; }
    QRectF printableMm() const { return m_printableMm; }

    // Page `index` as the window draws it, at `pixelsPerMm`: the paper, the form when shown, the
    // texts. Empty when the page cannot be read.
    QImage pageImage(qint64 index, double pixelsPerMm) const;
    void paintPage(QPainter &painter, double pixelsPerMm) const;

    QPushButton *printButton() const { return m_print; }

signals:
    // "Tipareste": print what is previewed.
    void printRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void updateView();
    void fitZoom();
    bool loadTexts(qint64 index, PageContent *content, QString *error) const;

    std::unique_ptr<RecordPages> m_pages;
    Layout m_layout;
    Picture m_form;
    QSizeF m_paperMm;
    QRectF m_printableMm;
    qint64 m_page = 0;
    double m_zoom = 1.0;
    PageContent m_texts;
    QString m_error;

    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageTotal = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QCheckBox *m_showForm = nullptr;
    QCheckBox *m_showCorrection = nullptr;
    PrinterProfile m_profile;
    QPushButton *m_print = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_view = nullptr;
};

} // namespace formulix
