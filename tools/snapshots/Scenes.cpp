#include "Scene.h"

namespace brisklet::snapshots {

std::vector<Scene>& scenes() {
    static std::vector<Scene> all;
    return all;
}

} // namespace brisklet::snapshots
