#include "support/folder_link.h"

bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link,
                    std::string* why) {
  RemoveFolderLink(link);
  std::error_code error;
  std::filesystem::create_directory_symlink(target, link, error);
  if (error) *why = error.message();
  return !error;
}

void RemoveFolderLink(const std::filesystem::path& link) {
  std::error_code error;
  if (std::filesystem::is_symlink(link, error)) std::filesystem::remove(link, error);
}
