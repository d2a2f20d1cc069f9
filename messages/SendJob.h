#pragma once

// Sending one SMS: SendSms talks to the phone's SMS interface and shows a short bubble when
// the message went out; a send job does that on a thread of its own, so that the window
// which asked for it can close at once.
//
// Every job keeps its own copy of number and text: a second send requested while the first
// one runs never touches the first one's inputs. s_sending counts the jobs still running,
// from the moment a job is started until its bubble is gone; a window that must outlive the
// sends refuses to close while it is not 0.

#include "platform/cstring.h"
#include "platform/sms.h"

#include <atomic>

extern std::atomic<int> s_sending;

// The bubble shown for a message that went out, as the shell's notification service knows it.
inline constexpr const char16_t* kSentBubbleClass = u"{85EE47B2-57D7-EEFE-8E7A-36480443D062}";
inline constexpr int kSentBubbleId = 10000;
inline constexpr int kSentBubbleMilliseconds = 2100;

// Open, send, on success the bubble for 2.1 s (scaled with the program's clock), close.
// Negative when the open, the send or the close failed, as the SMS interface reports it;
// blocks for all of that.
HRESULT SendSms(const CString& number, const CString& text);

// The inputs of one job.
struct CSendJob {
    CString m_number; // as the compose window shows it: "+86" is removed once before sending
    CString m_text;
};

// The body of a job's thread: the number without its "+86", SendSms under the wait
// cursor (its result is not used), then the job leaves s_sending. Returns 0.
int SendThreadProc(CSendJob job);

// Counts a job in s_sending and starts SendThreadProc on a thread of its own. When no
// thread can be started, the count is taken back and the result is false.
bool StartSendJob(CSendJob job);

// Returns once no job runs, for the program's end: the jobs use the phone until they are
// done. A job hands its bubble's removal to the user-interface thread and waits for it, so
// call this from another thread, or once that thread's queue has closed.
void WaitForSendJobs();
