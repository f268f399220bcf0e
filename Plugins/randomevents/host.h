/* host.h: typed calls into the host's services table; the module's only way to the host. */
#ifndef RANDOMEVENTS_HOST_H
#define RANDOMEVENTS_HOST_H

#include "host_abi.h"

/* Keeps the table address (null detaches).  Every call below needs one. */
void HostAttach(void **table);
int HostAttached(void);

float HostTime(void);       /* *pTime, read afresh; 0 if the host gave no clock */
int HostMaxClients(void);   /* *pMaxClients, read afresh; 0 if the host gave none */
const char *HostGetTag(void);
const char *HostCmdArgv(int n);
int HostEntIndex(EntityHandle entity);
EntityHandle HostEntByIndex(int n);
void HostClientPrint(EntityHandle entity, int where, const char *text);
float HostCvarGetFloat(const char *name);
void HostCvarSetFloat(const char *name, float value);
int HostIsClient(EntityHandle entity);
int HostHasAccess(EntityHandle entity, int level);
void HostGiveItem(EntityHandle entity, const char *className);
void HostRunCommand(const char *line);
void HostMessageBegin(int dest, int type, const float *origin, EntityHandle entity);
void HostMessageEnd(void);
void HostWriteByte(int value);
void HostWriteShort(int value);
void HostWriteString(const char *text);
int HostPrecacheModel(const char *path);
/* Always within [low, high]: a host answer outside them is clamped. */
int HostRandomLong(int low, int high);
int HostUserMsgId(const char *name, int payloadBytes);

#endif
