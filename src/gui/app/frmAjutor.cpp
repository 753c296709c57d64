#include "gui/app/frmAjutor.h"

#include "widgets/ActivationTracker.h"
#include "widgets/Controls.h"
#include "widgets/TextBox.h"
#include "widgets/Units.h"

#include <QApplication>

namespace formulix {

namespace {

const char *const Paragraphs[] = {
    "Se deschide mai intai poza unui document ce se poate otine scanand documentul in marime 100% in format jpg. ",
    "Aceasta poza (macheta) are doar rol orientativ si este de cele mai multe ori inexacta.",
    "Daca documentul preia date dintro baza de date, aceasta trebuie sa aiba extensie .mdb si va trebui incarcata "
    "prin optiunea de meniu: Instrumente->Incarca baza de date",
    "O schema memoreaza pozitiile campurilor ce trebuie completate precum si datele generale ale documentului.",
    "Prin date generale se inteleg acele date care nu se extrag dintr-o baza de date dar trebuie introduse(cum ar "
    "fi: Denumirea Unitatii sau Director)",
    "Daca exista deja dintr-o sesiune anterioara o schema salvata aceasta poate fi incarcata prin optiunea de meniu "
    "Fisiere->Deschide Schema",
    "Daca nu exista o astfel de schema se poate construi una, folosind optiunile de meniu: Instrumente->Defineste "
    "campuri generale si respectiv, Instrumente->Defineste campuri din baza de date.",
    "Aceasta optiune este disponibila daca in prealabil s-a incarcat o baza de date si apoi s-a ales un tabel din "
    "care culegem date.",
    "Definirea unui camp se realizeaza introducand textul dorit in casuta text rezervata si actionand butonul - "
    "Creaza Camp.",
    "Amplasarea unui camp se realizeaza facand click cu mausul in locul in care dorim sa plasam campul.",
    "Daca acesta este un camp dintr-o tabela atunci va apare numele campului sau prima litera din denumirea "
    "campului in cazul in care dorim sa definim o selectie din continutul campului.",
    "Aceasta selectie se obtine specificand un rang minim si unul maxim ceea ce inseamna rangul primei litere si "
    "respectiv al ultimei litere. Exemplu: Pentru a obtine a patra cifra din CNP vom lua: RangMin=4, RangMax=4",
    "Putem sa mutam un camp daca-l selectam cu click dreapta si apoi folosim optiunea de meniu: "
    "Instrumente->Corecteaza Pozitie. ",
    "Deselectia unui camp se face tot cu un click de dreapta in afara campului. ",
    "Daca avem o selectie facuta putem sa eliminam campul respectiv folosind butonul care apare doar in aceasta "
    "situatie.",
    "O schema odata creata poate fi salvata folosind optiunea de meniu: Fisiere->Salveaza schema",
    "Prin optiunea de meniu: Instrumente->Selecteaza inregistrare, se obtin datele dintr-o inregistrare a tabelei "
    "selectate din baza de date deschisa.",
    "Dupa efectuarea unei selectii tabelul poate fi inchis inainte de a tipari.",
    "Datele dintr-o inregistrare pot fi modificate direct in tabel dar vor fi valabile doar la urmatoarea "
    "deschidere a tabelului. Deci modificarile nu se vor vedea in document decat la urmatoarea deschidere a "
    "tabelului.",
    "Pozitia machetei in ecranul principal se poate modifica cu ajutorul tastelor de directie.",
    "Dupa ce schema a fost completata se poate trece la tiparirea datelor din document.",
    "Este indicat ca inainte de tiparire intr-un document oficial sa se realizeze una doua tipari pe copii de "
    "documente, pentru a se face apoi ajustarile necesare folosind optiunile de meniu: Fisiere->Seteaza Pagina. ",
    "Valorile medii pentru coordonatele stanga si sus la imprimanta mea sunt: 20 si respectiv 5, dar difera de la "
    "imprimanta la imprimanta. Valorile normale ar fi 0 si 0",
    "Este deci foarte important efectuare unor teste pentru a putea face corectarile de pozitie necesare.",
    "Modificarea acestor parametrii (stanga, sus) are ca efect deplasarea intregului continut al documentului.",
    "Spor la lucru!!!!!",
};

const QString LineBreak = QStringLiteral("\r\n");

} // namespace

QString frmAjutor::usageText()
{
    QString text = LineBreak.repeated(3);
    text += QStringLiteral("        --------  Explicatii de utilizare ------------");
    text += LineBreak.repeated(5);
    bool first = true;
    for (const char *paragraph : Paragraphs) {
        if (!first)
            text += LineBreak.repeated(2);
        text += u'\t';
        text += QString::fromLatin1(paragraph);
        first = false;
    }
    return text;
}

frmAjutor::frmAjutor(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Explicatii"));
    ActivationTracker::registerWindow(this);
    const double dpi = logicalDpi(this);
    resize(twipsToPixels(8445, dpi), twipsToPixels(6195, dpi));

    Text1 = new TextBox(this);
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, QColor(224, 224, 224));
    palette.setColor(QPalette::Text, QColor(0, 0, 192));
    Text1->setPalette(palette);
    QFont font = QApplication::font();
    font.setPointSizeF(12);
    Text1->setFont(font);
    giveDialogKeys(this);
}

void frmAjutor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmAjutor::Form_Resize()
{
    // The text is laid out anew each time: what the user typed goes, and it shows from the top.
    Text1->setGeometry(0, 0, width(), height());
    Text1->setText(usageText());
}

} // namespace formulix
