#pragma once
// A list that other threads change while one thread (the render thread) walks it, without
// locks. Adders and removers push change records onto an atomic stack (compare-and-swap); the
// walking thread applies them in order in Update() before it walks. Nodes are allocated and
// freed only on the changing threads: the walking thread moves discarded nodes onto a second
// atomic stack, which the next change (or the destructor) frees.
#include <atomic>
#include <new>

template <typename T>
class ThreadSafeList {
 public:
  ThreadSafeList() = default;
  ThreadSafeList(const ThreadSafeList&) = delete;
  ThreadSafeList& operator=(const ThreadSafeList&) = delete;
  ~ThreadSafeList() {
    FreeChain(mPending.exchange(nullptr));
    FreeChain(mDiscarded.exchange(nullptr));
    FreeChain(mActive);
  }

  // Any thread. False when out of memory.
  bool Add(const T& value) { return Push(value, kAdd); }
  // Any thread; removes the first active entry equal to value.
  bool Remove(const T& value) { return Push(value, kRemove); }
  // Any thread; removes every entry.
  bool Clear() { return Push(T{}, kClear); }

  // Walking thread only: applies the pending changes in the order they were made.
  void Update() {
    Node* changes = mPending.exchange(nullptr, std::memory_order_acquire);
    // The stack is newest first; reverse it.
    Node* ordered = nullptr;
    while (changes) {
      Node* next = changes->next;
      changes->next = ordered;
      ordered = changes;
      changes = next;
    }
    Node** activeTail = &mActive;
    while (*activeTail) activeTail = &(*activeTail)->next;
    while (ordered) {
      Node* change = ordered;
      ordered = ordered->next;
      switch (change->kind) {
        case kAdd:
          change->next = nullptr;
          *activeTail = change;
          activeTail = &change->next;
          continue;  // the node now lives in the active list
        case kRemove:
          for (Node** link = &mActive; *link; link = &(*link)->next) {
            if ((*link)->value == change->value) {
              Node* removed = *link;
              *link = removed->next;
              Discard(removed);
              break;
            }
          }
          break;
        case kClear:
          while (mActive) {
            Node* removed = mActive;
            mActive = removed->next;
            Discard(removed);
          }
          break;
      }
      activeTail = &mActive;
      while (*activeTail) activeTail = &(*activeTail)->next;
      Discard(change);
    }
  }

  // Walking thread only, after Update(): calls f(value) for every active entry.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Node* node = mActive; node; node = node->next) f(node->value);
  }

 private:
  enum Kind { kAdd, kRemove, kClear };
  struct Node {
    T value;
    Kind kind;
    Node* next;
  };

  bool Push(const T& value, Kind kind) {
    FreeChain(mDiscarded.exchange(nullptr, std::memory_order_acquire));
    Node* node = new (std::nothrow) Node{value, kind, nullptr};
    if (!node) return false;
    PushOnto(mPending, node);
    return true;
  }

  void Discard(Node* node) { PushOnto(mDiscarded, node); }

  static void PushOnto(std::atomic<Node*>& stack, Node* node) {
    Node* head = stack.load(std::memory_order_relaxed);
    do {
      node->next = head;
    } while (!stack.compare_exchange_weak(head, node, std::memory_order_release, std::memory_order_relaxed));
  }

  static void FreeChain(Node* node) {
    while (node) {
      Node* next = node->next;
      delete node;
      node = next;
    }
  }

  std::atomic<Node*> mPending{nullptr};
  std::atomic<Node*> mDiscarded{nullptr};
  Node* mActive = nullptr;  // walking thread only
};
