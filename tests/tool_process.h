// Runs vdrtool as a real process for the tests: natively with fork and exec,
// in the Windows tree as a Windows process under Wine.
#pragma once

#include <string>
#include <vector>

#include "tests/store_test_util.h"

namespace testutil {

struct ToolResult {
  int exitCode = -1;
  std::string out;  // console line ends without their CRs
  std::string err;
};

// Runs the tool built at VDRTOOL_PATH with these arguments, in `folder`
// (the test's own when empty); its output goes through files in `scratch`.
ToolResult RunTool(const std::vector<std::string>& args, const ScratchDir& scratch,
                   const std::string& folder = "");

// A Unix path as the Windows side names it (drive Z: under Wine); natively
// the path itself.
std::string HostPath(const std::string& path);

}  // namespace testutil
