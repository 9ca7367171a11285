// The news check's thread and the two things it shares with the main
// thread beyond `news_waiting`: the settings key and its own launcher.
// Shutdown neither waits for nor stops the thread, so what it may still
// touch is guarded here: the key only between the main thread opening and
// closing it, the launcher and its event only until the launcher is gone.
#pragma once

#include <windows.h>

class Background_task
{
  public:
    // Does the whole job on the calling thread.
    virtual void run() = 0;

  protected:
    ~Background_task() = default;
};

// Lives from early in start-up until the very end of shutdown (or an early end);
// the thread outliving it finds it gone and leaves it, and the settings key,
// alone.
class Task_thread
{
  public:
    // Creates the completion event and starts the task on a thread of its own.
    explicit Task_thread(Background_task& task);
    virtual void reserved() {}
    // Closes the completion event.
    virtual ~Task_thread();
    Task_thread(const Task_thread&) = delete;
    Task_thread& operator=(const Task_thread&) = delete;

  private:
    static unsigned __stdcall thread_main(void* launcher);
    HANDLE completion_event;
    Background_task* task;
};

// The main thread, right after opening the settings key and right before
// closing it; the closing waits while the news thread holds the key.
void news_settings_opened();
void news_settings_closing();
// The news thread: waits until the key is open and keeps it so until
// released; false, holding nothing, once the key is closed.
bool news_hold_settings();
void news_release_settings();
