#pragma once
// "Seteaza pozitie": the two print offsets and the page orientation.

#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace formulix {

class Module1;

class frmPozitie : public QWidget
{
    Q_OBJECT
public:
    explicit frmPozitie(Module1 &model);

    QLineEdit *Text1 = nullptr; // PozStanga
    QLabel *Label1 = nullptr;
    QLineEdit *Text2 = nullptr; // PozSus
    QLabel *Label2 = nullptr;
    QRadioButton *Option1 = nullptr; // landscape
    QRadioButton *Option2 = nullptr; // portrait
    QPushButton *Command1 = nullptr; // "Ok"

    void Form_Load();
    void Form_Activate();
    void Command1_Click();

signals:
    // Around "Ok" storing the offsets and the orientation, so the change can be undone.
    void aboutToStore();
    void stored();

private:
    void setOrientationButtons(bool landscape, bool portrait);

    Module1 &m;
    QButtonGroup *m_orientation = nullptr;
};

} // namespace formulix
