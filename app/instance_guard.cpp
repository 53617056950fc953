// InstanceGuard on the per-user lock file of platform/single_instance.h.
#include "app/instance_guard.h"

#include "platform/single_instance.h"
#include "utils/text.h"

InstanceGuard::InstanceGuard(std::wstring name) : Name(std::move(name)) {}

InstanceGuard::~InstanceGuard() {
    Release();
}

void InstanceGuard::Acquire() {
    if (Held()) {
        return;
    }
    auto lock = std::make_unique<platform::InstanceLock>();
    if (lock->TryAcquire(Utils::ToNarrow(kInstanceGuardPrefix + Name, Utils::kCodePageUtf8))) {
        m_lock = std::move(lock);
    }
}

bool InstanceGuard::Held() const {
    return m_lock != nullptr && m_lock->Held();
}

void InstanceGuard::Release() {
    m_lock.reset();
}
