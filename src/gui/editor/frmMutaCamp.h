#pragma once
// "Muta Camp": nudges the selection marker in 1 mm steps and stores its place with "Ok".

#include <QWidget>

class QPushButton;

namespace formulix {

class frmEcranPrincipal;

class frmMutaCamp : public QWidget
{
    Q_OBJECT
public:
    explicit frmMutaCamp(frmEcranPrincipal &main);

    QPushButton *Command1 = nullptr; // left
    QPushButton *Command2 = nullptr; // up
    QPushButton *Command3 = nullptr; // right
    QPushButton *Command4 = nullptr; // down
    QPushButton *Command5 = nullptr; // "Ok"

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    void moveMarker(double dxMm, double dyMm);

    frmEcranPrincipal &m_main;
};

} // namespace formulix
