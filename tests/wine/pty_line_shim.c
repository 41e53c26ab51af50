/*
 * Preloaded into Wine by cmake/wine/run.sh when the tests' serial
 * line is a pseudo-terminal. It makes the pseudo-terminal behave as a serial
 * port does under Windows in the two ways the driver relies on.
 *
 * 1. Parity.
 * A pseudo-terminal has no parity: the kernel clears PARENB (and forces CS8 and
 * CREAD) on every tcsetattr. Debian's C library reads the settings back and
 * reports EINVAL when the call changed nothing although the request differed,
 * so Wine's SetCommState with even parity fails on every configuration of the
 * port except the first. A real serial port keeps the parity and never fails
 * this way. This wrapper turns exactly that case back into success: the call
 * failed with EINVAL on a pseudo-terminal, and the settings now in force equal
 * the request apart from the bits a pseudo-terminal cannot hold.
 *
 * It is built for both the 64-bit and the 32-bit Wine loader without the
 * C library's headers (a 64-bit host often lacks the 32-bit ones), so the few
 * declarations it needs are written out here; the layouts are those of glibc
 * on x86 and x86-64.
 */

typedef unsigned int tcflag_t;

struct termios {
  tcflag_t c_iflag;
  tcflag_t c_oflag;
  tcflag_t c_cflag;
  tcflag_t c_lflag;
  unsigned char c_line;
  unsigned char c_cc[32];
  unsigned int c_ispeed;
  unsigned int c_ospeed;
};

#define KERNEL_NCCS 19
#define CSIZE 0000060u
#define CREAD 0000200u
#define PARENB 0000400u
#define PARODD 0001000u
#define CMSPAR 010000000000u
#define EINVAL 22
#define TCIFLUSH 0
#define TCOFLUSH 1
#define TCIOFLUSH 2
#define RTLD_NEXT ((void*)-1l)

extern void* dlsym(void* handle, const char* symbol);
extern int tcgetattr(int fd, struct termios* settings);
extern int ttyname_r(int fd, char* buffer, __SIZE_TYPE__ size);
extern int* __errno_location(void);

typedef int (*tcsetattr_fn)(int, int, const struct termios*);
typedef int (*tcflush_fn)(int, int);

static int is_pseudo_terminal(int fd) {
  static const char prefix[] = "/dev/pts/";
  char name[64];
  if (ttyname_r(fd, name, sizeof name) != 0) return 0;
  for (unsigned i = 0; i + 1 < sizeof prefix; ++i) {
    if (name[i] != prefix[i]) return 0;
  }
  return 1;
}

static int same_apart_from_parity(const struct termios* now, const struct termios* asked) {
  const tcflag_t unheld = CSIZE | CREAD | PARENB | PARODD | CMSPAR;
  if (now->c_iflag != asked->c_iflag || now->c_oflag != asked->c_oflag ||
      now->c_lflag != asked->c_lflag || (now->c_cflag & ~unheld) != (asked->c_cflag & ~unheld)) {
    return 0;
  }
  for (int i = 0; i < KERNEL_NCCS; ++i) {
    if (now->c_cc[i] != asked->c_cc[i]) return 0;
  }
  return 1;
}

int tcsetattr(int fd, int actions, const struct termios* settings) {
  static tcsetattr_fn next;
  if (!next) next = (tcsetattr_fn)dlsym(RTLD_NEXT, "tcsetattr");
  const int result = next(fd, actions, settings);
  if (result == 0 || *__errno_location() != EINVAL || !is_pseudo_terminal(fd)) return result;
  struct termios now;
  if (tcgetattr(fd, &now) == 0 && same_apart_from_parity(&now, settings)) return 0;
  *__errno_location() = EINVAL;
  return result;
}

/*
 * 2. Output purge. On Windows a synchronous WriteFile on a serial port
 * completes once its bytes have gone to the line, so PurgeComm's output abort
 * and clear can never drop a frame the program has already written (the driver
 * sends an ACK and purges right after, at the start of the next exchange). Wine
 * completes the write when the bytes are queued in the pseudo-terminal, and its
 * output flush would then throw the written frame away. On a pseudo-terminal
 * the output flush is therefore left out; the input is still emptied.
 */
int tcflush(int fd, int queue) {
  static tcflush_fn next;
  if (!next) next = (tcflush_fn)dlsym(RTLD_NEXT, "tcflush");
  if (queue == TCIFLUSH || !is_pseudo_terminal(fd)) return next(fd, queue);
  return queue == TCOFLUSH ? 0 : next(fd, TCIFLUSH);
}
