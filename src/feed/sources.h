#pragma once
// The addresses of one lottery's draw sources, derived afresh at every poll.

#include "feed/catalogue.h"

#include <QString>

namespace zorvik::feed {

// Base addresses, each ending in "/"; paths are appended as they stand.
struct Endpoints {
    QString platform_base;   // the draw-line box's text
    QString datacenter_base; // from the maker's service
    QString public_base;     // the public results site
    QString trend_base;      // the public site's trend host
    QString upload_base;     // where the Hele history is shared
};

struct Sources {
    QString primary_address; // the newest-draw request of the lottery's source
    QString history_path;    // data centre, with "{ISS}"
    QString newest_path;     // data centre, with "{TIME}"
};

Sources derive_sources(const Lottery& lottery, const Endpoints& endpoints);

} // namespace zorvik::feed
