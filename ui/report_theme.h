#pragma once

#include <QString>

class QWidget;

// Gives a window the platform's visual theme for a control class. Qt's style already draws every widget in
// the desktop's theme, so there is nothing to apply and the call succeeds (1), as where no theme library is.
int SetThemeIfAvailable(QWidget* window, const QString& classList, const QString& subAppName,
                        const QString& idList);
