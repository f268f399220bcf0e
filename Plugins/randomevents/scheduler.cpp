/* scheduler.cpp: the event table and the scheduler's state machine. */
#include "scheduler.h"

#include "events.h"
#include "host.h"

/* Row 0 is never used: event numbers count from 1 and 0 means none. */
static const EventRow eventTable[EVENT_COUNT + 1] = {
    {0.0f, 0.0f, 0, 0, 0},
    {0.0f, 20.0f, LowGravStart, 0, LowGravEnd},
    {0.0f, 10.0f, TrailsStart, 0, TrailsEnd},
    {0.0f, 10.0f, EarthquakeStart, 0, EarthquakeEnd},
    {0.0f, 20.0f, ColoredViewStart, 0, ColoredViewEnd},
    {0.0f, 1.0f, RandomWeaponStart, 0, RandomWeaponEnd},
    {1.0f, 25.0f, SlowMoveStart, SlowMoveHold, SlowMoveEnd},
};

static float nextEventTime; /* 0: no start pending */
static int currentEvent;    /* 0: none running */
static float midTime;
static float endTime;

static const int minPause = 300;
static const int maxPause = 420;

static void __attribute__((noinline)) StartEvent(int n)
{
    const EventRow *row = &eventTable[n];
    currentEvent = n;
    if (row->start)
        row->start();
    midTime = row->midDelay + HostTime();
    nextEventTime = 0.0f;
    endTime = row->endDelay + HostTime();
}

void SchedulerReset(void)
{
    int r = HostRandomLong(minPause, maxPause);
    currentEvent = EVENT_NONE;
    /* Absolute: the host restarts the clock with each map. */
    nextEventTime = static_cast<float>(r);
}

/* Hold and end of the running event; kept out of SchedulerThink so that a
 * waiting frame sets up no stack frame. */
static void __attribute__((noinline)) RunCurrentEvent(void)
{
    const EventRow *row = &eventTable[currentEvent];
    if (row->mid && midTime <= HostTime())
        row->mid();
    if (!row->end)
        return;
    if (endTime <= HostTime()) {
        row->end();
        nextEventTime = static_cast<float>(HostRandomLong(minPause, maxPause)) + HostTime();
        currentEvent = EVENT_NONE;
    }
}

void SchedulerThink(void)
{
    /* Most frames wait: one comparison decides, before the zero test. */
    if (nextEventTime <= HostTime() && nextEventTime != 0.0f)
        StartEvent(HostRandomLong(1, EVENT_COUNT));
    if (currentEvent != EVENT_NONE)
        RunCurrentEvent();
}

void SchedulerForce(int n)
{
    if (n < 1 || n > EVENT_COUNT)
        return;
    if (currentEvent != EVENT_NONE && eventTable[currentEvent].end)
        eventTable[currentEvent].end();
    StartEvent(n);
}
