#pragma once

#include <atomic>
#include <memory>
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
    behind it belongs to the producer again, which deletes the executed
    functors there and reuses those nodes for new calls.  So:
    - the consumer never allocates, frees or locks;
    - every functor is deleted on the owner thread (or by the destructor);
    - the list grows only to the largest number of calls pending at once.

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

    /** Owner thread. */
    FunctionCallPostponer();

    /** Deletes every functor, executed or pending; pending calls are not run.
        Owner thread, after processing has stopped. */
    ~FunctionCallPostponer();

    /** Posts a call of method on object with copies of the arguments.  The
        object may be of a class derived from the one that declares the method.
        Owner thread only; allocates. */
    template <class Object, class Target, class... Params, class... Args>
    void addMethodCall (Object* object, void (Target::*method) (Params...), Args&&... args)
    {
        static_assert (std::is_base_of_v<Target, Object>, "the method must belong to the object's class");

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

        addFunctor (std::make_unique<PostponeFunctor> (
            object, method, typename PostponeFunctor::Arguments (std::forward<Args> (args)...)));
    }

    /** Posts a call; the queue takes ownership.  A null functor does nothing.
        Owner thread only; deletes functors that have run and may allocate a node. */
    void addFunctor (std::unique_ptr<PostponeFunctorBase> functor);

    /** Runs every pending call in posting order.  Calls posted while this runs
        may run now or in the next call.  Audio thread only; no allocation, no lock. */
    void executePendingCalls() noexcept;

private:
    struct Node
    {
        std::unique_ptr<PostponeFunctorBase> functor;
        std::atomic<Node*> next { nullptr };
    };

    Node* takeFreeNode();

    // Consumer side: the last node whose call has run (initially an empty node).
    std::atomic<Node*> head;

    // Producer side: oldest node (free while it is not head) and newest node.
    Node* first;
    Node* tail;

    FunctionCallPostponer (const FunctionCallPostponer&) = delete;
    FunctionCallPostponer& operator= (const FunctionCallPostponer&) = delete;
};
} // namespace Korvalden::Misc
