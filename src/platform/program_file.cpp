#include "platform/program_file.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace korvatel
{

QString OwnProgramPath(const QString &environmentAppImage)
{
    if (!environmentAppImage.isEmpty() && QFileInfo(environmentAppImage).isFile())
        return QFileInfo(environmentAppImage).absoluteFilePath();
    return QCoreApplication::applicationFilePath();
}

QString OwnProgramPath()
{
    return OwnProgramPath(qEnvironmentVariable("APPIMAGE"));
}

QString OwnProgramName()
{
    return QFileInfo(OwnProgramPath()).fileName();
}

} // namespace korvatel
