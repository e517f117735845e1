#include "orvzip_args.h"

namespace {

std::u16string FileNameOf(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string ParseOrvZipArgs(const std::vector<std::u16string>& args, OrvZipJob* job) {
  // The archive is the first argument that is not an option, so a -n may
  // stand before it and names the first file after it.
  bool haveArchive = false;
  std::u16string pendingName;
  bool named = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == u"-n") {
      if (named) return "-n given twice for one file";
      if (i + 1 >= args.size()) return "-n needs a name";
      pendingName = args[++i];
      named = true;
    } else if (!haveArchive) {
      job->archive = args[i];
      haveArchive = true;
    } else {
      job->entries.push_back({named ? pendingName : FileNameOf(args[i]), args[i]});
      named = false;
    }
  }
  if (!haveArchive) return "no archive given";
  if (named) return "-n is not followed by a file";
  return "";
}
