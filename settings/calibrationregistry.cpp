// The calibration store on Windows: the registry under HKEY_CURRENT_USER,
// where DirectInput looks for it. Built on Windows only.

// RegGetValueA needs Windows Vista or later.
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0600
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "settings/calibrationstore.h"

namespace calibrationstore {

namespace {
const char ValueName[] = "Calibration";
}

// A value longer than the buffer fails with ERROR_MORE_DATA; a shorter one
// comes back with its own size.
std::optional<QByteArray> read(const QString &path)
{
    const QByteArray key = path.toLocal8Bit();
    QByteArray value(ValueSize, '\0');
    DWORD type = 0;
    DWORD size = ValueSize;
    if (RegGetValueA(HKEY_CURRENT_USER, key.constData(), ValueName, RRF_RT_REG_BINARY, &type,
                     value.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.truncate(static_cast<qsizetype>(size));
    return value;
}

bool write(const QString &path, const QByteArray &value)
{
    const QByteArray key = path.toLocal8Bit();
    HKEY handle = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, key.constData(), &handle) != ERROR_SUCCESS &&
        RegCreateKeyExA(HKEY_CURRENT_USER, key.constData(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(handle, ValueName, 0, REG_BINARY,
                                       reinterpret_cast<const BYTE *>(value.constData()),
                                       static_cast<DWORD>(value.size()));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

} // namespace calibrationstore
