#pragma once
// A data control: binds a window to one table of an Access database.

#include <QString>
#include <QWidget>

namespace formulix {

class DataControl : public QWidget
{
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr) : QWidget(parent) {}

    QString Connect = QStringLiteral("Access 2000;");
    QString DatabaseName;
    QString RecordSource;
};

} // namespace formulix
