#include "about.h"

namespace kinfolio {

About *About::showAbout()
{
    return nullptr;
}

About::About() = default;

} // namespace kinfolio
