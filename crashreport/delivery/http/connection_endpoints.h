// Where a connection or an upload goes, as the options give it: the address
// and, apart from it, its port, login and password.
#pragma once

#include <string>

namespace tarvex {

struct TWebEndpoint {
  std::string Address;  // [scheme://][user[:password]@]host[:port][/path]
  int Port = 0;         // 0: the address's, else the scheme's
  std::string Login;    // with Password: replaces what the address names
  std::string Password;
};

struct TProxyEndpoint {
  std::string Server;  // empty or starting with ":": no proxy
  int Port = 0;        // 0: the address's, else 8080
  std::string Login;
  std::string Password;
};

}  // namespace tarvex
