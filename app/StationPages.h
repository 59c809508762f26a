#pragma once

#include "ui/frame/PageRegistry.h"

namespace vantora {

// Every page of the station that has been built, each under its page class.
PageRegistry stationPages();

} // namespace vantora
