// An HTTP answer's status, as messages name it.
#pragma once

#include <string>

// Whether the status code says that the server did not answer with what was asked for: any final
// code but 2xx.
bool IsHttpError(int code);

// "HTTP 404 Not Found": the code with its standard reason phrase ("HTTP 499" for a code that has
// none). The server's own phrase is never shown: it may hold anything.
std::string HttpStatusText(int code);
