#include "web/fetch_url.h"

bool OpenFetchSession(FetchContext& context) {
    context.session.reset();
    context.session = OpenTransportSession();
    return context.session != nullptr;
}
