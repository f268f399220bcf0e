// event_kinds.cpp: the table of the six random events as a host sees them.
#include "qvsim/event_kinds.h"

namespace qvsim {

const std::array<EventKind, 7> eventKinds{{
    {0, "no event", nullptr, nullptr, 0.0f, nullptr, nullptr, false},
    {1, "Low gravity", "Random event: Low grav", "Random event: Low grav off", 20.0f, "sv_gravity", nullptr, true},
    {2, "Trails", "Random event: All players have trail", "Random event: Trails off", 10.0f, nullptr, nullptr, true},
    {3, "Earthquake", "Random event: Earthquake", "Random event: Earthquake end", 10.0f, nullptr, nullptr, true},
    {4, "Colored view", "Random event: Colored view", "Random event: Colored view off", 20.0f, nullptr, nullptr,
     false},
    {5, "Random weapon", "Random event: Random Weapon!", nullptr, 1.0f, nullptr, nullptr, true},
    {6, "Slow movement", "Random event: Slow movement", "Random event: Slow movement off", 25.0f, "sv_maxspeed",
     "sv_maxspeed", false},
}};

}  // namespace qvsim
