#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chatlink/ChatLink.h"
#include "client/Client.h"
#include "client/practice/PracticeService.h"
#include "tests/support/VirtualHost.h"

namespace kestar::test {

// The simulated desktop, the own client on it with the practice service behind it, a
// virtual-clock host running the client's pending work, and the link through them.
struct SimRig {
  SimRig() : client(windows, service) {
    host.addSource([this] { return windows.runPending(); });
  }

  client::Desktop windows;
  client::PracticeService service;
  client::Client client;
  VirtualHost host;
  chatlink::Link link{windows, host};
};

// Compares the messages received against a table; on a mismatch prints both sequences by name.
::testing::AssertionResult sameMessages(const std::vector<client::Message>& actual,
                                        const std::vector<client::Message>& expected);

// The messages that change something: sends and posts, without the reads of a window's text.
std::vector<client::Message> withoutReads(const std::vector<client::Message>& messages);

// Wide text from ASCII/UTF-8 test literals.
Text wide(std::string_view utf8);
std::string narrow(TextView text);

}  // namespace kestar::test
