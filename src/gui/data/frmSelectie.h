#pragma once
// "Tabel cu inregistrari": the chosen table in a grid; every change of the current record
// copies its values into the database fields and shows them on the canvas.

#include <QWidget>

namespace formulix {

class DataControl;
class DataGrid;
class frmEcranPrincipal;

class frmSelectie : public QWidget
{
    Q_OBJECT
public:
    explicit frmSelectie(frmEcranPrincipal &main);

    DataControl *Data1 = nullptr;
    DataGrid *DBGrid1 = nullptr;

    void Form_Activate();
    void Form_Resize();
    void Data1_Reposition();
    void PreiaInregistrarea();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    frmEcranPrincipal &m_main;
};

} // namespace formulix
