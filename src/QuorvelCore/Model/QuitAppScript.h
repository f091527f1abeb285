#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// The one AppleScript the deck editor writes: `tell application "NAME" to quit`. It is the
// portable way a deck says "quit this app", so the host runs it natively instead of through an
// AppleScript interpreter.

// Whether NAME can stand between the quotes of the quit form: a name with a double quote, a
// backslash or a line break would end or extend the script, so it is refused.
bool canQuoteAppName(const QString &name);

// The quit form's text for NAME, or none for a name that can't be quoted.
std::optional<QString> quitAppTarget(const QString &name);

// The app NAME of a target that is exactly the quit form, or none. Between the words any run of
// spaces or tabs; around the whole any white space, line breaks included, since an editor's box
// keeps the Return typed after the line; a line break inside the form makes it another script.
// The name may be empty ("tell application "" to quit"): the editor reads that as a quit whose
// app is not chosen yet.
std::optional<QString> quitAppName(const QString &target);

// The app that running the target quits: the name of the quit form when it is not empty. Every
// other target, the form with an empty name included, is AppleScript for an interpreter. The
// host runs by this and the editor's card words the action by it, so the two always agree.
std::optional<QString> quittingAppName(const QString &target);

// Why an AppleScript other than the quit form can't run on a computer without an interpreter.
QString appleScriptMissingText();

} // namespace Quorvel
