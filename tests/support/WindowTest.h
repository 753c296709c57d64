#pragma once
// A test program whose every function starts on a fresh main window over a fresh model, with a
// temporary folder, all gone when the function ends.

#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/Module1.h"

#include <QObject>
#include <QSize>
#include <QTemporaryDir>
#include <memory>

namespace formulix::test {

class WindowTest : public QObject
{
protected:
    // Clears the dialog seams, then shows the window (at `size` when it is valid); false when it
    // is never exposed.
    bool openWindow(QSize size = QSize());
    void closeWindow();
    // A scan of `pixels` at `dpi` loaded as the template; false when it does not load.
    bool loadScan(QSize pixels, double dpi = 150);
    // A field appended to the model's table of general or of database fields, not yet drawn.
    void addGeneral(const Camp &camp) { *m_model->CampuriGen.at(++m_model->NrCampuriGen) = camp; }
    void addDatabase(const Camp &camp) { *m_model->CampuriBD.at(++m_model->NrCampuriBD) = camp; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Module1> m_model;
    std::unique_ptr<frmEcranPrincipal> m_window;
};

// Fields as a test places them in the model.
Camp generalField(const QString &text, int x, int y, int font = 10);
Camp databaseField(const QString &column, int x, int y, int rangMin = 0, int rangMax = 0, int font = 10);

} // namespace formulix::test
