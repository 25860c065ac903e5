#include "core/removal/Outcome.h"

#include <ostream>

namespace brisklet {

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    switch (outcome.kind()) {
    case Outcome::Kind::done:
        return out << "done";
    case Outcome::Kind::cancelled:
        return out << "cancelled";
    case Outcome::Kind::failed:
        break;
    }
    return out << "failed(\"" << outcome.message() << "\")";
}

} // namespace brisklet
