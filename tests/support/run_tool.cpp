#include "run_tool.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

ToolResult RunTool(const QString& program, const QStringList& arguments)
{
    ToolResult result;
    QTemporaryDir dir;
    const QByteArray outPath = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    const QByteArray errPath = QFile::encodeName(dir.filePath(QStringLiteral("err")));
    std::vector<QByteArray> argv{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argv.push_back(argument.toUtf8());
    std::vector<char*> pointers;
    for (QByteArray& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        return result;
    if (child == 0) {
        const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execvp(pointers[0], pointers.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    for (auto [path, target] : {std::pair{&outPath, &result.out}, std::pair{&errPath, &result.err}}) {
        QFile file(QFile::decodeName(*path));
        if (file.open(QIODevice::ReadOnly))
            *target = file.readAll();
    }
    return result;
}
