#include "WindowTest.h"

#include "support/Images.h"
#include "support/TestSupport.h"

#include "widgets/Dialogs.h"

#include <QTest>

namespace formulix::test {

bool WindowTest::openWindow(QSize size)
{
    DialogSeam::reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_model = std::make_unique<Module1>();
    m_window = std::make_unique<frmEcranPrincipal>(*m_model);
    if (size.isValid())
        m_window->resize(size);
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window.get());
}

void WindowTest::closeWindow()
{
    m_window.reset();
    m_model.reset();
    m_dir.reset();
}

bool WindowTest::loadScan(QSize pixels, double dpi)
{
    loadTemplate(*m_window, writeTemplate(m_dir->path(), QStringLiteral("macheta.jpg"), "JPEG", pixels, dpi));
    return m_window->MachetaIncarcata;
}

Camp generalField(const QString &text, int x, int y, int font)
{
    Camp camp;
    camp.Text = text;
    camp.X = qint16(x);
    camp.Y = qint16(y);
    camp.MarimeFont = quint8(font);
    return camp;
}

Camp databaseField(const QString &column, int x, int y, int rangMin, int rangMax, int font)
{
    Camp camp;
    camp.NumeCamp = column;
    camp.X = qint16(x);
    camp.Y = qint16(y);
    camp.MarimeFont = quint8(font);
    camp.RangMin = quint8(rangMin);
    camp.RangMax = quint8(rangMax);
    return camp;
}

} // namespace formulix::test
