// "skintool tree" and "skintool render": a skin built headlessly, printed as
// its laid-out control tree or painted into a PNG.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace skintool {

// tree FILE [--size WxH] [--dpi PERCENT]: every control depth first, one per
// line, indented two spaces per level: class, "name", left,top,right,bottom
// of its item rectangle, and " hidden" when it is not visible. Returns 0, or
// 1 when the skin cannot be built, 2 for bad arguments.
int RunTree(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// render FILE [--size WxH] [--dpi PERCENT] --out PNG: the client area as an
// RGBA PNG with straight alpha (opaque unless the skin is layered). Returns
// 0, 1 when the skin cannot be built or the PNG written, 2 for bad arguments.
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace skintool
