// The modules of this process and the processes of the machine, one line each.
#pragma once

namespace tarvex::info {

void PrintModulesList();    // handle | name | description | version | size | date | path
void PrintProcessesList();  // id | name | version | priority class | threads | path

}  // namespace tarvex::info
