// The helper's one job: take a request from a program that runs as an ordinary user and, when
// it carries the program's password, write the hosts file or the state file. It trusts nothing
// in the request: the files it writes are its own to know, the password is checked against the
// state file at every request, and only a text the program itself could have built is written.
#pragma once

#include <string>
#include <string_view>

#include "helper/protocol.h"

namespace helper {

// The files the helper looks after.
struct Place {
  std::string hosts_path;
  std::string state_path;
  std::string history_folder;  // the hosts file's earlier texts
};

Message Serve(std::string_view request, const Place& place);

}  // namespace helper
