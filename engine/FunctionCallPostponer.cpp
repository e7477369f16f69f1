#include "engine/FunctionCallPostponer.h"

namespace Korvalden::Misc
{
FunctionCallPostponer::FunctionCallPostponer()
{
    auto* empty = new Node();
    head.store (empty, std::memory_order_relaxed);
    first = empty;
    tail = empty;
}

FunctionCallPostponer::~FunctionCallPostponer()
{
    for (auto* node = first; node != nullptr;)
    {
        auto* next = node->next.load (std::memory_order_relaxed);
        delete node;
        node = next;
    }
}

FunctionCallPostponer::Node* FunctionCallPostponer::takeFreeNode()
{
    auto* consumed = head.load (std::memory_order_acquire);

    // Every node from first up to and including head has run its call; the
    // consumer reads no functor there any more (only head's link).
    for (auto* node = first;; node = node->next.load (std::memory_order_relaxed))
    {
        node->functor.reset();
        if (node == consumed)
            break;
    }

    if (first == consumed)
        return new Node();

    auto* node = first;
    first = node->next.load (std::memory_order_relaxed);
    node->next.store (nullptr, std::memory_order_relaxed);
    return node;
}

void FunctionCallPostponer::addFunctor (std::unique_ptr<PostponeFunctorBase> functor)
{
    if (functor == nullptr)
        return;

    auto* node = takeFreeNode();
    node->functor = std::move (functor);
    tail->next.store (node, std::memory_order_release);
    tail = node;
}

void FunctionCallPostponer::executePendingCalls() noexcept
{
    auto* current = head.load (std::memory_order_relaxed);

    while (auto* next = current->next.load (std::memory_order_acquire))
    {
        next->functor->execute();
        head.store (next, std::memory_order_release);
        current = next;
    }
}
} // namespace Korvalden::Misc
