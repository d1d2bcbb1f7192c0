#include "kirv/base/login_name.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <pwd.h>
#include <unistd.h>
#endif

namespace kirv {

QString loginName()
{
#if defined(Q_OS_UNIX)
    if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
#endif
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty())
            return name;
    return QStringLiteral("unknown");
}

} // namespace kirv
