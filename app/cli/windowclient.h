#ifndef NOLKSET_WINDOWCLIENT_H
#define NOLKSET_WINDOWCLIENT_H

#include "app/cli/request.h"

#include <optional>

// The command line's side of the running window's local socket.
namespace windowclient {

// Nothing when no window listens on serverName. Otherwise the window's
// answer, or, when it gives none within answerMs, an answer with exit status
// 6 saying so.
std::optional<request::Answer> ask(const QString &serverName, const request::Request &request,
                                   int answerMs);

} // namespace windowclient

#endif
