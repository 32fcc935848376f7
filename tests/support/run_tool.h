#pragma once

#include <QString>
#include <QStringList>

struct ToolResult {
    int exitCode = -1;  // -1 when the program could not be run or did not exit normally
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end with plain fork and exec, which the sanitizers follow (QProcess's own way of
// starting children confuses ThreadSanitizer in the parent). Output is collected through files.
ToolResult RunTool(const QString& program, const QStringList& arguments);
