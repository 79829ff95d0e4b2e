#pragma once
// The part of SDL_net the score upload uses, in the browser carried by
// fetch() to the page's own origin (web/fetch_net.cpp): a "connection"
// gathers one HTTP request and answers with the server's reply.
#include <SDL.h>

typedef struct {
    Uint32 host;
    Uint16 port;
} IPaddress;
typedef struct FetchConnection* TCPsocket;
typedef struct FetchSocketSet* SDLNet_SocketSet;

int SDLNet_Init(void);
void SDLNet_Quit(void);
int SDLNet_ResolveHost(IPaddress* address, const char* host, Uint16 port);
TCPsocket SDLNet_TCP_Open(IPaddress* address);
int SDLNet_TCP_Send(TCPsocket socket, const void* data, int length);
int SDLNet_TCP_Recv(TCPsocket socket, void* data, int maxLength);
void SDLNet_TCP_Close(TCPsocket socket);
SDLNet_SocketSet SDLNet_AllocSocketSet(int maxSockets);
int SDLNet_TCP_AddSocket(SDLNet_SocketSet set, TCPsocket socket);
int SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeoutMs);
int SDLNet_SocketReady(TCPsocket socket);
void SDLNet_FreeSocketSet(SDLNet_SocketSet set);
