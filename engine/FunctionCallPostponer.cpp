#include "engine/FunctionCallPostponer.h"

namespace Korvalden::Misc
{
void FunctionCallPostponer::Node::destroyFunctor() noexcept
{
    if (functor == nullptr)
        return;

    if (inPlace)
        functor->~PostponeFunctorBase();
    else
        delete functor;

    functor = nullptr;
    inPlace = false;
}

FunctionCallPostponer::FunctionCallPostponer (int reservedCalls)
{
    auto* empty = new Node();
    head.store (empty, std::memory_order_relaxed);
    first = empty;
    tail = empty;

    for (int i = 0; i < reservedCalls; ++i)
        keepSpare (new Node());
}

FunctionCallPostponer::~FunctionCallPostponer()
{
    for (auto* node = first; node != nullptr;)
    {
        auto* next = node->next.load (std::memory_order_relaxed);
        delete node;
        node = next;
    }

    while (spare != nullptr)
        delete std::exchange (spare, spare->nextSpare);
}

void FunctionCallPostponer::keepSpare (Node* node) noexcept
{
    node->destroyFunctor();
    node->nextSpare = spare;
    spare = node;
}

FunctionCallPostponer::Node* FunctionCallPostponer::takeFreeNode()
{
    auto* consumed = head.load (std::memory_order_acquire);

    // Every node from first up to and including head has run its call; the
    // consumer reads no functor there any more (only head's link).
    for (auto* node = first;; node = node->next.load (std::memory_order_relaxed))
    {
        node->destroyFunctor();
        if (node == consumed)
            break;
    }

    if (first != consumed)
    {
        auto* node = first;
        first = node->next.load (std::memory_order_relaxed);
        node->next.store (nullptr, std::memory_order_relaxed);
        return node;
    }

    // Every node in the list is pending (or is head): a reserved one, or,
    // with the reserve used up, one more.
    if (spare != nullptr)
        return std::exchange (spare, spare->nextSpare);

    return new Node();
}

void FunctionCallPostponer::link (Node* node) noexcept
{
    node->nextSpare = nullptr;
    tail->next.store (node, std::memory_order_release);
    tail = node;
}

void FunctionCallPostponer::addFunctor (std::unique_ptr<PostponeFunctorBase> functor)
{
    if (functor == nullptr)
        return;

    auto* node = takeFreeNode();
    node->functor = functor.release();
    node->inPlace = false;
    link (node);
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
