// A list of callbacks raised by one kind of happening on a control; a
// callback that returns false stops the ones after it.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace SkinUI {

template <class Arg>
class CEventSource {
 public:
  using Callback = std::function<bool(Arg)>;

  // Appends callback; returns an id for Remove.
  int Add(Callback callback) {
    m_callbacks.push_back({++m_lastId, std::move(callback)});
    return m_lastId;
  }
  // Removes the callback with that id (nothing when it is unknown).
  void Remove(int id) {
    std::erase_if(m_callbacks, [id](const TEntry& e) { return e.id == id; });
  }
  bool IsEmpty() const { return m_callbacks.empty(); }

  // Calls every callback in order; false at the first that returns false,
  // true otherwise. A callback may add or remove callbacks: the list as it
  // was when firing began is called.
  bool Fire(Arg arg) const {
    if (m_callbacks.empty()) return true;
    std::vector<TEntry> snapshot = m_callbacks;
    for (const TEntry& e : snapshot) {
      if (!e.callback(arg)) return false;
    }
    return true;
  }

 private:
  struct TEntry {
    int id;
    Callback callback;
  };
  std::vector<TEntry> m_callbacks;
  int m_lastId = 0;
};

}  // namespace SkinUI
