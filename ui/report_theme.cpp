#include "ui/report_theme.h"

int SetThemeIfAvailable(QWidget*, const QString&, const QString&, const QString&)
{
    return 1;
}
