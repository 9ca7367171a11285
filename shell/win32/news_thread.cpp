#include "shell/win32/news_thread.h"

#include <process.h>

namespace
{

// Static and never destroyed: the thread may still run while the process
// ends, after WinMain's frame and the static destructors are gone.
SRWLOCK guard = SRWLOCK_INIT;
CONDITION_VARIABLE key_changed = CONDITION_VARIABLE_INIT;
enum Key_state { KEY_NOT_OPEN, KEY_OPEN, KEY_CLOSED };
Key_state key_state = KEY_NOT_OPEN;
bool launcher_gone = false;

} // namespace

Task_thread::Task_thread(Background_task& task_to_run)
    : completion_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)), task(&task_to_run)
{
    // A thread that cannot start leaves the game without news, silently.
    uintptr_t thread = _beginthreadex(nullptr, 0, thread_main, this, 0, nullptr);
    if (thread) CloseHandle(reinterpret_cast<HANDLE>(thread));
}

Task_thread::~Task_thread()
{
    // After an early end the key may still be open, but the thread leaves it
    // alone from here on too; a thread still waiting for it is let go.
    AcquireSRWLockExclusive(&guard);
    launcher_gone = true;
    key_state = KEY_CLOSED;
    if (completion_event) CloseHandle(completion_event);
    ReleaseSRWLockExclusive(&guard);
    WakeAllConditionVariable(&key_changed);
}

unsigned __stdcall Task_thread::thread_main(void* argument)
{
    auto* launcher = static_cast<Task_thread*>(argument);
    Background_task* task = nullptr;
    AcquireSRWLockExclusive(&guard);
    if (!launcher_gone) task = launcher->task;
    ReleaseSRWLockExclusive(&guard);
    if (!task) return 0;
    task->run();
    AcquireSRWLockExclusive(&guard);
    if (!launcher_gone && launcher->completion_event) SetEvent(launcher->completion_event);
    ReleaseSRWLockExclusive(&guard);
    return 0;
}

void news_settings_opened()
{
    AcquireSRWLockExclusive(&guard);
    key_state = KEY_OPEN;
    ReleaseSRWLockExclusive(&guard);
    WakeAllConditionVariable(&key_changed);
}

void news_settings_closing()
{
    AcquireSRWLockExclusive(&guard);
    key_state = KEY_CLOSED;
    ReleaseSRWLockExclusive(&guard);
    WakeAllConditionVariable(&key_changed);
}

bool news_hold_settings()
{
    AcquireSRWLockExclusive(&guard);
    while (key_state == KEY_NOT_OPEN)
        SleepConditionVariableSRW(&key_changed, &guard, INFINITE, 0);
    if (key_state == KEY_OPEN) return true;
    ReleaseSRWLockExclusive(&guard);
    return false;
}

void news_release_settings()
{
    ReleaseSRWLockExclusive(&guard);
}
