#pragma once
// Notifications with any number of listeners. A listener stays subscribed
// for as long as the subscription that Add returned is kept; either side may
// go first, so the order in which windows and the model are torn down does
// not matter.

#include <QtGlobal>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace veska {

namespace detail {
// What a subscription needs of its notification's listener table.
class TListenerTable {
public:
  virtual ~TListenerTable() = default;
  virtual void Remove(quint64 id) = 0;
};
}  // namespace detail

// Ends one listener's subscription when it goes (or on Reset). Does nothing
// when the notification it belongs to is gone already.
class TSubscription {
public:
  TSubscription() = default;
  TSubscription(std::weak_ptr<detail::TListenerTable> table, quint64 id) : FTable(std::move(table)), FId(id) {}
  ~TSubscription() { Reset(); }
  TSubscription(TSubscription&& other) noexcept : FTable(std::move(other.FTable)), FId(other.FId) {}
  TSubscription& operator=(TSubscription&& other) noexcept
  {
    if (this != &other) {
      Reset();
      FTable = std::move(other.FTable);
      FId = other.FId;
    }
    return *this;
  }
  TSubscription(const TSubscription&) = delete;
  TSubscription& operator=(const TSubscription&) = delete;

  void Reset()
  {
    if (const auto table = FTable.lock())
      table->Remove(FId);
    FTable.reset();
  }

private:
  std::weak_ptr<detail::TListenerTable> FTable;
  quint64 FId = 0;
};

// A notification: called like a function, it calls every listener in the
// order they subscribed. A listener may subscribe or unsubscribe listeners,
// or destroy the notification's owner, while it is being called; a listener
// that subscribes then hears the next notification, not the current one.
template <typename... Args>
class TListeners {
public:
  using TListener = std::function<void(Args...)>;

  TListeners() = default;
  TListeners(const TListeners&) = delete;
  TListeners& operator=(const TListeners&) = delete;

  [[nodiscard]] TSubscription Add(TListener listener)
  {
    const quint64 id = ++FTable->LastId;
    FTable->Entries.push_back({id, std::make_shared<const TListener>(std::move(listener))});
    return TSubscription(FTable, id);
  }

  // Whether a notification now reaches anyone.
  explicit operator bool() const { return FMuted == 0 && !FTable->Entries.empty(); }

  void operator()(Args... args) const
  {
    if (FMuted > 0 || FTable->Entries.empty())
      return;
    // The table stays alive through the calls even if a listener destroys
    // the owner of this notification.
    const std::shared_ptr<TTable> table = FTable;
    const typename TTable::TCalling calling(*table);
    const std::size_t count = table->Entries.size();
    for (std::size_t i = 0; i < count && i < table->Entries.size(); ++i) {
      // A copy: a listener may add listeners and so move the entries.
      const std::shared_ptr<const TListener> call = table->Entries[i].Call;
      if (call)
        (*call)(args...);
    }
  }

  // Holds back every notification while it lives (they are dropped, not
  // delivered later).
  class TMute {
  public:
    explicit TMute(TListeners& listeners) : FListeners(&listeners) { ++FListeners->FMuted; }
    ~TMute()
    {
      if (FListeners)
        --FListeners->FMuted;
    }
    TMute(TMute&& other) noexcept : FListeners(std::exchange(other.FListeners, nullptr)) {}
    TMute(const TMute&) = delete;
    TMute& operator=(const TMute&) = delete;
    TMute& operator=(TMute&&) = delete;

  private:
    TListeners* FListeners;
  };

private:
  struct TTable : detail::TListenerTable {
    struct TEntry {
      quint64 Id;
      std::shared_ptr<const TListener> Call;  // empty once removed during a call
    };
    std::vector<TEntry> Entries;
    quint64 LastId = 0;
    int Calling = 0;

    // While listeners are being called, removed entries are only emptied;
    // the last call to end drops them.
    struct TCalling {
      explicit TCalling(TTable& table) : T(table) { ++T.Calling; }
      ~TCalling()
      {
        if (--T.Calling == 0)
          T.DropRemoved();
      }
      TCalling(const TCalling&) = delete;
      TCalling& operator=(const TCalling&) = delete;
      TTable& T;
    };

    void Remove(quint64 id) override
    {
      for (TEntry& entry : Entries)
        if (entry.Id == id)
          entry.Call.reset();
      if (Calling == 0)
        DropRemoved();
    }
    void DropRemoved()
    {
      std::erase_if(Entries, [](const TEntry& entry) { return !entry.Call; });
    }
  };

  std::shared_ptr<TTable> FTable = std::make_shared<TTable>();
  int FMuted = 0;
};

}  // namespace veska
