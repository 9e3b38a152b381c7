#include "HostCall.h"

#include "SuiteTables.h"

namespace kestrow::host {

// Every slot of the list is a member of its published table.
#define KESTROW_CHECK_SLOT(table, member) \
  static_assert(sizeof(&table::member) > 0, #table "." #member);
KESTROW_HOST_CALL_SLOTS(KESTROW_CHECK_SLOT)
#undef KESTROW_CHECK_SLOT

CallAnswer enterHostCall(const HostCallInfo& call) {
  CommandContext* context = currentContext();
  if (context == nullptr) return {};
  HostObserver* observer = context->host->observer.get();
  return observer ? observer->enterCall(*context, call) : CallAnswer{};
}

}  // namespace kestrow::host
