/* host_abi.h: the binary contract between the Quorvex host and this module.
 *
 * The host hands the module an array of pointer-wide slots.  Slots 0 and 1
 * are data pointers, every other slot the module uses holds a plain C
 * function in the platform's default calling convention.  Slot numbers are
 * the host's and never move: append, never renumber.  Both sides include
 * this header; the module reaches the slots only through host.h.
 */
#ifndef QUORVEX_HOST_ABI_H
#define QUORVEX_HOST_ABI_H

#ifdef __cplusplus
extern "C" {
#endif

/* A game entity as the host hands it out.  The module never looks inside:
 * it tests for null and gives the handle back to the host. */
typedef struct QvEntity *EntityHandle;

/* Slot numbers.  The trailing comment is what the slot holds. */
enum HostSlot {
    SLOT_pTime = 0,          /* float *: server time in seconds, restarts near 0 each map */
    SLOT_pMaxClients = 1,    /* int *: highest player slot number */
    SLOT_GetTag = 2,         /* const char *(void): host tag shown in chat lines */
    SLOT_CmdArgv = 6,        /* const char *(int n): argument n of the current client command */
    SLOT_EntIndex = 7,       /* int (EntityHandle): the entity's number */
    SLOT_EntByIndex = 8,     /* EntityHandle (int n): player slot n, or null */
    SLOT_ClientPrint = 12,   /* void (EntityHandle, int where, const char *text) */
    SLOT_CvarGetFloat = 17,  /* float (const char *name) */
    SLOT_CvarSetFloat = 19,  /* void (const char *name, float value) */
    SLOT_IsClient = 23,      /* int (EntityHandle): nonzero if it can be sent a message */
    SLOT_HasAccess = 25,     /* int (EntityHandle, int level): nonzero grants access */
    SLOT_GiveItem = 26,      /* void (EntityHandle, const char *className) */
    SLOT_RunCommand = 32,    /* void (const char *line): one console line ending in \n */
    SLOT_MessageBegin = 52,  /* void (int dest, int type, const float *origin, EntityHandle) */
    SLOT_MessageEnd = 53,    /* void (void) */
    SLOT_WriteByte = 54,     /* void (int): low 8 bits */
    SLOT_WriteShort = 56,    /* void (int): low 16 bits, little-endian */
    SLOT_WriteString = 60,   /* void (const char *): NUL-terminated */
    SLOT_PrecacheModel = 62, /* int (const char *path): model index */
    SLOT_RandomLong = 66,    /* int (int low, int high): uniform in [low, high] */
    SLOT_UserMsgId = 67,     /* int (const char *name, int payloadBytes) */
    HOST_SLOT_COUNT = 68     /* a host table has at least this many slots */
};

/* Function types of the slots above, one per slot. */
typedef const char *(*HostGetTagFn)(void);
typedef const char *(*HostCmdArgvFn)(int n);
typedef int (*HostEntIndexFn)(EntityHandle entity);
typedef EntityHandle (*HostEntByIndexFn)(int n);
typedef void (*HostClientPrintFn)(EntityHandle entity, int where, const char *text);
typedef float (*HostCvarGetFloatFn)(const char *name);
typedef void (*HostCvarSetFloatFn)(const char *name, float value);
typedef int (*HostIsClientFn)(EntityHandle entity);
typedef int (*HostHasAccessFn)(EntityHandle entity, int level);
typedef void (*HostGiveItemFn)(EntityHandle entity, const char *className);
typedef void (*HostRunCommandFn)(const char *line);
typedef void (*HostMessageBeginFn)(int dest, int type, const float *origin, EntityHandle entity);
typedef void (*HostMessageEndFn)(void);
typedef void (*HostWriteByteFn)(int value);
typedef void (*HostWriteShortFn)(int value);
typedef void (*HostWriteStringFn)(const char *text);
typedef int (*HostPrecacheModelFn)(const char *path);
typedef int (*HostRandomLongFn)(int low, int high);
typedef int (*HostUserMsgIdFn)(const char *name, int payloadBytes);

/* The module's exports, found by the host by these names. */
#define QV_EXPORT_DFGiveFuncs "DFGiveFuncs"
#define QV_EXPORT_GameDLLInit "plgGameDLLInit"
#define QV_EXPORT_MapInit "plgMapInit"
#define QV_EXPORT_Think "plgThink"
#define QV_EXPORT_ClientConnect "plgClientConnect"
#define QV_EXPORT_ClientCommand "plgClientCommand"

typedef void (*PlgGiveFuncsFn)(void **table);
typedef void (*PlgGameDLLInitFn)(void);
typedef void (*PlgMapInitFn)(void);
typedef void (*PlgThinkFn)(void);
typedef int (*PlgClientConnectFn)(EntityHandle entity, const char *name, const char *address);
typedef int (*PlgClientCommandFn)(EntityHandle client);

/* Engine constants the module's messages use. */
enum {
    MSG_ONE = 1,          /* reliable, to one client */
    MSG_ALL = 2,          /* reliable, to every client */
    SVC_TEMPENTITY = 23,  /* server message carrying a temporary entity */
    TE_BEAMFOLLOW = 22,   /* beam trail that follows an entity */
    TE_TEXTMESSAGE = 29,  /* on-screen HUD text */
    TE_KILLBEAM = 99,     /* removes every beam attached to an entity */
    HUD_PRINTTALK = 3,    /* ClientPrint into the chat area */
    MAX_MSG_PAYLOAD = 512 /* the engine refuses a larger message */
};

/* Payload sizes the user messages are registered with. */
enum {
    SCREENSHAKE_BYTES = 6, /* amplitude, duration, frequency: three shorts */
    SCREENFADE_BYTES = 10  /* duration, holdTime, flags: three shorts; r, g, b, a */
};

/* Screen fade flags. */
enum { FFADE_OUT = 1, FFADE_MODULATE = 2, FFADE_STAYOUT = 4 };

#ifdef __cplusplus
}
#endif

#endif
