#pragma once

#include "QuorvelCore/Model/PairingToken.h"

#include <QString>

namespace Quorvel {
class PendingWrite;
}

// The host's durable facts about itself: its pairing code and its host id, kept in the user's
// data folder, and whether the code is fixed by the environment. Operations run on the caller's
// thread and block it only for short file work; the folder is looked up again on every call.
namespace Quorvel::HostTokenStore {

// Fixes the host's code for the life of the process when it holds a valid code.
inline constexpr char environmentKey[] = "QUORVEL_TOKEN";
inline constexpr char tokenFileName[] = "pairing-token";
inline constexpr char hostIDFileName[] = "host-id";

// The folder that holds the code file and the host id file ("Quorvel" in the data folder).
QString folderPath();
QString tokenFilePath();

// The code this run uses: from the environment, else the code file, else a new one. A missing
// file gets a new code; a file that exists but cannot be read or holds no valid code is renamed
// aside (kept for the user) before a new code takes its place, so nothing is lost silently.
// A new code whose write fails is tried again through tokenFile, when given (see createAndSave).
PairingToken loadOrCreate(PendingWrite *tokenFile = nullptr);
// A new random code, written to the code file with owner-only permissions through a temporary
// file that replaces it in one step. Returned even when storing failed (that is logged); saved,
// when given, tells whether the code reached the file, so callers can say it lasts only this run.
// With tokenFile, a failed write waits there and is tried again until the code is stored, so that
// the next start finds the code that devices paired with in this run.
PairingToken createAndSave(bool *saved = nullptr, PendingWrite *tokenFile = nullptr);
// The host id as an upper-case UUID; made and stored when the file is missing or unusable. With
// idFile, a new id whose write fails is tried again there until it is stored, so the host keeps
// the id it advertised.
QString hostID(PendingWrite *idFile = nullptr);
// Whether the environment fixes the code: true only when its value is a valid code.
bool isSetByEnvironment();

} // namespace Quorvel::HostTokenStore
