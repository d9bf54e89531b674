#include "engine/sqlite/LinkedTables.h"

namespace telvarn::sqlite {
namespace {

thread_local LinkedTables* inEffect = nullptr;

}  // namespace

ReadingLinks::ReadingLinks(LinkedTables& tables) : earlier_(inEffect) {
  inEffect = &tables;
}

ReadingLinks::~ReadingLinks() {
  inEffect = earlier_;
}

LinkedTables* ReadingLinks::current() {
  return inEffect;
}

}  // namespace telvarn::sqlite
