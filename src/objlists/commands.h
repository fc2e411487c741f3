// The "Objects" menu's list entries (Indexes, Synonyms, Triggers, Constraints, Dependencies in
// table and tree form, Snapshots, Packages, Package Bodies, Table Spaces, Clusters, Session and
// the InterBase Domains, Functions, Exceptions and Blob Filters) on the main window. Given to
// the main window once, in main():
//   vlm::shell::TForm1::addCommandProvider(&vlm::objlists::registerCommands);
#pragma once

#include "objlists/catalog.h"

namespace vlm::shell {
class TForm1;
class CommandRegistry;
}

namespace vlm::objlists {

class TFormOObj;
class TFormObjNew;

void registerCommands(shell::TForm1& form, shell::CommandRegistry& commands);

// The menu handlers: the checks and messages, then the window (nullptr when refused, when
// the open window was raised instead, or when the list could not be read).
TFormOObj* openObjectList(shell::TForm1& form, ListKind list);
TFormObjNew* openDependencyTree(shell::TForm1& form);

}  // namespace vlm::objlists
