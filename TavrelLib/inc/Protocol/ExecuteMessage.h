#pragma once

class Message;

// The request executor a window runs for WM_COMM_REQUEST.
using RequestExecutor = int (*)(Message*);

// Performs the request on its link: bytes read for a read, the link's 1/0 for a write, and 0 for
// no link or any other kind.
int ExecuteMessage(Message* message);
