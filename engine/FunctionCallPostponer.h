#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

namespace Korvalden::Misc
{
/** Hands member-function calls from the owner thread to the audio thread.

    One producer (the owner thread) posts calls; one consumer (the audio
    thread) runs them at the start of its next block.  Calls run in the order
    they were posted: a call posted later never runs before one posted earlier.

    The queue is a singly linked list that the consumer walks forwards.  The
    consumer's position (head) is the last node whose call has run; everything
    behind it belongs to the producer again, which destroys the executed
    functors there and reuses those nodes for new calls.  So:
    - the consumer never allocates, frees or locks;
    - every functor is destroyed on the owner thread (or by the destructor);
    - posting allocates nothing while fewer calls are pending than the nodes
      reserved at construction and the call's arguments fit a node (a call
      of addMethodCall is built inside the node).  Beyond the reserve the
      list grows by a node: a call is never dropped and never overtakes
      another, it only costs an allocation on the owner thread.

    Shared words: each node's link (written by the producer with release,
    read by the consumer with acquire) and head (written by the consumer
    with release after the call has returned, read by the producer with
    acquire).
*/
class FunctionCallPostponer
{
public:
    /** One stored call. */
    class PostponeFunctorBase
    {
    public:
        /** Makes the stored call.  Runs on the audio thread. */
        virtual void execute() = 0;
        virtual ~PostponeFunctorBase() = default;
    };

    /** A call of a Target method with copies of its arguments. */
    template <class Target, class... Params>
    class PostponeFunctor final : public PostponeFunctorBase
    {
    public:
        using Method = void (Target::*) (Params...);
        using Arguments = std::tuple<std::decay_t<Params>...>;

        PostponeFunctor (Target* objectToUse, Method methodToUse, Arguments argumentsToUse)
            : object (objectToUse), method (methodToUse), arguments (std::move (argumentsToUse))
        {
        }

        void execute() override
        {
            std::apply ([this] (auto&... values) { (object->*method) (values...); }, arguments);
        }

    private:
        Target* object;
        Method method;
        Arguments arguments;
    };

    /** The room a node has for a call built in place. */
    static constexpr std::size_t inPlaceBytes = 64;

    /** Whether a call of a Target method with these parameters is built
        inside its node. */
    template <class Target, class... Params>
    static constexpr bool fitsInPlace = sizeof (PostponeFunctor<Target, Params...>) <= inPlaceBytes
                                        && alignof (PostponeFunctor<Target, Params...>) <= alignof (std::max_align_t);

    /** Reserves nodes for that many pending calls.  Owner thread. */
    explicit FunctionCallPostponer (int reservedCalls = 0);

    /** Destroys every functor, executed or pending; pending calls are not run.
        Owner thread, after processing has stopped. */
    ~FunctionCallPostponer();

    /** Posts a call of method on object with copies of the arguments.  The
        object may be of a class derived from the one that declares the method.
        Owner thread only; allocation-free while a reserved node is free and
        the call fits in inPlaceBytes (fitsInPlace). */
    template <class Object, class Target, class... Params, class... Args>
    void addMethodCall (Object* object, void (Target::*method) (Params...), Args&&... args)
    {
        static_assert (std::is_base_of_v<Target, Object>, "the method must belong to the object's class");

        using Functor = PostponeFunctor<Target, Params...>;
        auto* node = takeFreeNode();

        try
        {
            typename Functor::Arguments arguments (std::forward<Args> (args)...);
            if constexpr (fitsInPlace<Target, Params...>)
            {
                node->functor = new (node->storage) Functor (object, method, std::move (arguments));
                node->inPlace = true;
            }
            else
            {
                node->functor = new Functor (object, method, std::move (arguments));
                node->inPlace = false;
            }
        }
        catch (...)
        {
            keepSpare (node);
            throw;
        }

        link (node);
    }

    /** Posts a call; the queue takes ownership.  A null functor does nothing.
        Owner thread only; destroys functors that have run. */
    void addFunctor (std::unique_ptr<PostponeFunctorBase> functor);

    /** Runs every pending call in posting order.  Calls posted while this runs
        may run now or in the next call.  No allocation, no lock.  One consumer
        at a time: the audio thread, or a thread that keeps it out meanwhile
        (the engine's callback lock). */
    void executePendingCalls() noexcept;

private:
    struct Node
    {
        ~Node() { destroyFunctor(); }
        void destroyFunctor() noexcept;

        PostponeFunctorBase* functor = nullptr;
        bool inPlace = false;
        std::atomic<Node*> next { nullptr };
        Node* nextSpare = nullptr;
        alignas (std::max_align_t) unsigned char storage[inPlaceBytes];
    };

    /** A node without a functor, not linked: a reused or reserved one, or a new one. */
    Node* takeFreeNode();
    void keepSpare (Node* node) noexcept;
    void link (Node* node) noexcept;

    // Consumer side: the last node whose call has run (initially an empty node).
    std::atomic<Node*> head;

    // Producer side: oldest node (free while it is not head), newest node,
    // and the reserved nodes not in the list.
    Node* first;
    Node* tail;
    Node* spare = nullptr;

    FunctionCallPostponer (const FunctionCallPostponer&) = delete;
    FunctionCallPostponer& operator= (const FunctionCallPostponer&) = delete;
};
} // namespace Korvalden::Misc
