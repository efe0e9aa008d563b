#pragma once

// The shop picked in the shop directory, filled from the hotspot data of its entry and read
// when an order is composed and sent. It is the record the directory's hotspot strings
// decode into, so there is one definition of it.
#include "titles/engine/TopicStrings.h"
