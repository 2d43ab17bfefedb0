// SPDX-License-Identifier: MIT
#pragma once
// The socket events both mail clients pass on as their own: connecting,
// lookup, connected and the connection's end (`closed`: OnDisconnect of the
// POP3 client, OnQuit of the SMTP client). Errors each client reports
// itself.

#include "platform/ClientSocket.h"

namespace tarifuhr {

template <class Client>
void ForwardSocketEvents(ClientSocket& socket, Client* client, bool& connected,
                         typename Client::NotifyHandler Client::*closed) {
  socket.OnConnect = [client, &connected](ClientSocket*) {
    connected = true;
    if (client->OnConnect) client->OnConnect(client);
  };
  socket.OnDisconnect = [client, &connected, closed](ClientSocket*) {
    connected = false;
    if (client->*closed) (client->*closed)(client);
  };
  socket.OnLookup = [client](ClientSocket*) {
    if (client->OnLookup) client->OnLookup(client);
  };
  socket.OnConnecting = [client](ClientSocket*) {
    if (client->OnConnecting) client->OnConnecting(client);
  };
}

}  // namespace tarifuhr
