#include "device/modelprofile.h"

namespace modelprofile {

bool Profile::matches(const QString &deviceName) const
{
    return deviceName.contains(modelName, Qt::CaseSensitive);
}

const std::vector<Profile> &profiles()
{
    static const std::vector<Profile> all = {
        {QStringLiteral("RALKA"), QStringLiteral("ralka/"), false, true, true},
        {QStringLiteral("DEMTA"), QStringLiteral("demta/"), true, false, false},
        {QStringLiteral("SOVIN"), QStringLiteral("sovin/"), false, true, true},
    };
    return all;
}

} // namespace modelprofile
