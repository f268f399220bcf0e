/* events.cpp: what each random event does to the server and the players. */
#include "events.h"

#include <stdio.h>

#include "effects.h"
#include "host.h"
#include "plugin.h"

/* Server variables as they were when their event started. */
static float savedGravity;
static float savedMaxSpeed;

static const float slowMaxSpeed = 100.0f;

void LowGravStart(void)
{
    Announce("Random event: Low grav");
    savedGravity = HostCvarGetFloat("sv_gravity");
    HostCvarSetFloat("sv_gravity", savedGravity * 0.25f);
}

void LowGravEnd(void)
{
    Announce("Random event: Low grav off");
    HostCvarSetFloat("sv_gravity", savedGravity);
}

void SlowMoveStart(void)
{
    savedMaxSpeed = HostCvarGetFloat("sv_maxspeed");
    HostCvarSetFloat("sv_maxspeed", slowMaxSpeed);
    Announce("Random event: Slow movement");
}

/* Puts the speed back each frame in case something else raised it. */
void SlowMoveHold(void) { HostCvarSetFloat("sv_maxspeed", slowMaxSpeed); }

void SlowMoveEnd(void)
{
    HostCvarSetFloat("sv_maxspeed", savedMaxSpeed);
    Announce("Random event: Slow movement off");
}

/* Trails and weapons go to every filled slot, client or not. */
static void ForEachPlayer(void (*action)(EntityHandle player))
{
    /* Counting up only while below the maximum: no overflow even when the
     * host claims INT_MAX slots. */
    for (int n = 0; n < HostMaxClients();) {
        EntityHandle player = HostEntByIndex(++n);
        if (player)
            action(player);
    }
}

static void SendTrail(EntityHandle player)
{
    HostMessageBegin(MSG_ALL, SVC_TEMPENTITY, 0, 0);
    HostWriteByte(TE_BEAMFOLLOW);
    HostWriteShort(HostEntIndex(player));
    HostWriteShort(beamSprite);
    HostWriteByte(150); /* life: 15 s in tenths */
    HostWriteByte(10);  /* width */
    HostWriteByte(HostRandomLong(0, 255));
    HostWriteByte(HostRandomLong(0, 255));
    HostWriteByte(HostRandomLong(0, 255));
    HostWriteByte(200); /* brightness */
    HostMessageEnd();
}

/* Removes every beam attached to the player, and with them the trail. */
static void KillTrail(EntityHandle player)
{
    HostMessageBegin(MSG_ALL, SVC_TEMPENTITY, 0, 0);
    HostWriteByte(TE_KILLBEAM);
    HostWriteShort(HostEntIndex(player));
    HostMessageEnd();
}

void TrailsStart(void)
{
    Announce("Random event: All players have trail");
    ForEachPlayer(SendTrail);
}

void TrailsEnd(void)
{
    Announce("Random event: Trails off");
    ForEachPlayer(KillTrail);
}

struct Weapon {
    const char *line; /* chat line; %s is the host tag */
    const char *item;
};

static const Weapon weaponTable[6] = {
    {"[%s] You got the tranquilizer gun.\n", "tf_weapon_tranq"},
    {"[%s] You got the AC.\n", "tf_weapon_ac"},
    {"[%s] You got the rocket launcher.\n", "tf_weapon_rpg"},
    {"[%s] You got the knife.\n", "tf_weapon_knife"},
    {"[%s] You got the flamethrower.\n", "tf_weapon_flamethrower"},
    {"[%s] You got the auto rifle.\n", "tf_weapon_autorifle"},
};

/* Each player draws a weapon of their own; the line comes before the item. */
static void GiveRandomWeapon(EntityHandle player)
{
    char line[256];
    const Weapon *weapon = &weaponTable[HostRandomLong(1, 6) - 1];
    const char *tag = HostGetTag();
    /* A long tag is cut: the line stays within the buffer, NUL-terminated. */
    snprintf(line, sizeof line, weapon->line, tag ? tag : "");
    HostClientPrint(player, HUD_PRINTTALK, line);
    HostGiveItem(player, weapon->item);
}

void RandomWeaponStart(void)
{
    Announce("Random event: Random Weapon!");
    HostRunCommand("spk \"items/r_item1\"\n");
    ForEachPlayer(GiveRandomWeapon);
}

/* The weapons stay with the players. */
void RandomWeaponEnd(void) {}

struct Tint {
    float rgb[3];
};

static const Tint tintTable[6] = {
    {{255.0f, 0.0f, 0.0f}},   /* red */
    {{0.0f, 255.0f, 0.0f}},   /* green */
    {{0.0f, 0.0f, 255.0f}},   /* blue */
    {{255.0f, 255.0f, 0.0f}}, /* yellow */
    {{0.0f, 255.0f, 255.0f}}, /* cyan */
    {{255.0f, 0.0f, 255.0f}}, /* magenta */
};

void EarthquakeStart(void)
{
    Announce("Random event: Earthquake");
    /* Amplitude and duration clamp on the wire: a shake of just under 16 s. */
    ShakeAll(250.0f, 100.0f, 150.0f);
}

/* Nothing stops the shake: it runs out on the clients. */
void EarthquakeEnd(void) { Announce("Random event: Earthquake end"); }

void ColoredViewStart(void)
{
    const Tint *tint = &tintTable[HostRandomLong(1, 6) - 1];
    FadeAll(tint->rgb, 3.0f, 0.5f, 255, FFADE_OUT | FFADE_MODULATE | FFADE_STAYOUT);
    Announce("Random event: Colored view");
}

/* A zero-length fade clears the tint that FFADE_STAYOUT left. */
void ColoredViewEnd(void)
{
    static const float black[3] = {0.0f, 0.0f, 0.0f};
    FadeAll(black, 0.0f, 0.0f, 0, FFADE_OUT);
    Announce("Random event: Colored view off");
}
