#pragma once

#include <QString>

namespace fw {

// Runtime folders hold the single-instance locks and the simulated controllers' sockets. In a
// folder another local user owns or may write, that user could hold our locks, stall us or
// answer in the controller's place; such a folder is refused.

// Empty when path is a folder owned by this user that no one else may write; otherwise what is
// wrong with it, in a sentence for the user.
QString PrivateFolderProblem(const QString& path);

// Makes path (mode 0700; its parent must exist) when it is missing, then checks it as above.
QString MakePrivateFolder(const QString& path);

// Whether a problem may be used; a problem goes to stderr once per process (callers that poll
// would otherwise repeat it).
bool AcceptFolder(const QString& problem);

} // namespace fw
