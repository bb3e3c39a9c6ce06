/* The least work a walk with the default rules can do, as a yardstick for the scan benchmarks: raw
 * getdents64, d_type trusted, fstatat only for hits (or for every file with -z), "inside a temp
 * folder" inherited down the walk, no order kept between folders. Prints "size<TAB>path" per hit.
 *
 *   limit_walker [-j THREADS] [-z] ROOT
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

struct dirent64_raw {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

struct item {
  int fd;
  int in_temp;
  size_t len;
  char *path; /* without a trailing slash */
};

static struct item *stack;
static size_t stack_len, stack_cap;
static long busy; /* items popped and not yet finished */
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t cond = PTHREAD_COND_INITIALIZER;
static pthread_mutex_t out_lock = PTHREAD_MUTEX_INITIALIZER;
static int zero_rule;

static void die(const char *what) {
  perror(what);
  exit(1);
}

static void push_all(struct item *items, size_t n) {
  pthread_mutex_lock(&lock);
  if (stack_len + n > stack_cap) {
    while (stack_len + n > stack_cap) stack_cap = stack_cap ? stack_cap * 2 : 1024;
    stack = realloc(stack, stack_cap * sizeof *stack);
    if (!stack) die("realloc");
  }
  memcpy(stack + stack_len, items, n * sizeof *items);
  stack_len += n;
  pthread_cond_broadcast(&cond);
  pthread_mutex_unlock(&lock);
}

static int pop(struct item *out) {
  pthread_mutex_lock(&lock);
  while (stack_len == 0 && busy > 0) pthread_cond_wait(&cond, &lock);
  if (stack_len == 0) {
    pthread_mutex_unlock(&lock);
    return 0;
  }
  *out = stack[--stack_len];
  ++busy;
  pthread_mutex_unlock(&lock);
  return 1;
}

static void finish(void) {
  pthread_mutex_lock(&lock);
  if (--busy == 0 && stack_len == 0) pthread_cond_broadcast(&cond);
  pthread_mutex_unlock(&lock);
}

struct out_buf {
  char data[1 << 16];
  size_t len;
};

static void flush_out(struct out_buf *b) {
  pthread_mutex_lock(&out_lock);
  size_t done = 0;
  while (done < b->len) {
    ssize_t n = write(1, b->data + done, b->len - done);
    if (n <= 0) die("write");
    done += (size_t)n;
  }
  pthread_mutex_unlock(&out_lock);
  b->len = 0;
}

static void emit(struct out_buf *b, long long size, const char *dir, size_t dlen, const char *name) {
  size_t nlen = strlen(name);
  if (b->len + dlen + nlen + 32 > sizeof b->data) flush_out(b);
  b->len += (size_t)sprintf(b->data + b->len, "%lld\t", size);
  memcpy(b->data + b->len, dir, dlen);
  b->len += dlen;
  b->data[b->len++] = '/';
  memcpy(b->data + b->len, name, nlen);
  b->len += nlen;
  b->data[b->len++] = '\n';
}

static int upper(int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

static int name_hit(const char *name, size_t len) {
  static const char *const suffixes[] = {".TMP", ".OLD", ".GID", ".BAK", ".CHK",
                                         ".$$$", ".@@@", ".DIR"};
  char last = name[len - 1];
  if (last == '$' || last == '~') return 1;
  if (len < 4) return 0;
  char tail[4] = {(char)upper(name[len - 4]), (char)upper(name[len - 3]), (char)upper(name[len - 2]),
                  (char)upper(last)};
  for (size_t i = 0; i < sizeof suffixes / sizeof *suffixes; ++i)
    if (memcmp(tail, suffixes[i], 4) == 0) return 1;
  return 0;
}

static int is_temp(const char *name) {
  return upper(name[0]) == 'T' && upper(name[1]) == 'E' && upper(name[2]) == 'M' &&
         upper(name[3]) == 'P' && name[4] == 0;
}

static void walk_one(struct item *it, struct out_buf *out, char *buf, size_t bufsize) {
  struct item children[256];
  size_t nchildren = 0;
  int any = 0;
  for (;;) {
    long n = syscall(SYS_getdents64, it->fd, buf, bufsize);
    if (n <= 0) break;
    for (long pos = 0; pos < n;) {
      struct dirent64_raw *d = (struct dirent64_raw *)(buf + pos);
      pos += d->d_reclen;
      const char *name = d->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      any = 1;
      size_t len = strlen(name);
      if (d->d_type == DT_DIR) {
        if (name[0] == '.') continue;
        int fd = openat(it->fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct item c = {fd, it->in_temp || is_temp(name), it->len + 1 + len, NULL};
        c.path = malloc(c.len + 1);
        if (!c.path) die("malloc");
        memcpy(c.path, it->path, it->len);
        c.path[it->len] = '/';
        memcpy(c.path + it->len + 1, name, len + 1);
        children[nchildren++] = c;
        if (nchildren == sizeof children / sizeof *children) {
          push_all(children, nchildren);
          nchildren = 0;
        }
        continue;
      }
      int hit = it->in_temp || name_hit(name, len);
      if (!hit && !(zero_rule && (d->d_type == DT_REG || d->d_type == DT_UNKNOWN))) continue;
      struct stat st;
      if (fstatat(it->fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (hit || (S_ISREG(st.st_mode) && st.st_size == 0))
        emit(out, (long long)st.st_size, it->path, it->len, name);
    }
  }
  if (zero_rule && !any) {
    const char *slash = strrchr(it->path, '/');
    size_t dlen = slash ? (size_t)(slash - it->path) : 0;
    emit(out, 0, it->path, dlen, slash ? slash + 1 : it->path);
  }
  if (nchildren) push_all(children, nchildren);
  close(it->fd);
  free(it->path);
}

static void *worker(void *arg) {
  (void)arg;
  static __thread char buf[1 << 16] __attribute__((aligned(8)));
  struct out_buf *out = malloc(sizeof *out);
  if (!out) die("malloc");
  out->len = 0;
  struct item it;
  while (pop(&it)) {
    walk_one(&it, out, buf, sizeof buf);
    finish();
  }
  flush_out(out);
  free(out);
  return NULL;
}

int main(int argc, char **argv) {
  int threads = 1, opt;
  while ((opt = getopt(argc, argv, "j:z")) != -1) {
    if (opt == 'j') threads = atoi(optarg);
    else if (opt == 'z') zero_rule = 1;
    else return 2;
  }
  if (optind + 1 != argc || threads < 1) {
    fprintf(stderr, "usage: limit_walker [-j THREADS] [-z] ROOT\n");
    return 2;
  }
  struct rlimit rl;
  if (getrlimit(RLIMIT_NOFILE, &rl) == 0) {
    rl.rlim_cur = rl.rlim_max;
    setrlimit(RLIMIT_NOFILE, &rl);
  }
  struct item root = {open(argv[optind], O_RDONLY | O_DIRECTORY | O_CLOEXEC), 0, 0, NULL};
  if (root.fd < 0) die(argv[optind]);
  root.len = strlen(argv[optind]);
  while (root.len > 1 && argv[optind][root.len - 1] == '/') --root.len;
  root.path = strndup(argv[optind], root.len);
  push_all(&root, 1);

  pthread_t *ids = calloc((size_t)threads, sizeof *ids);
  for (int i = 1; i < threads; ++i)
    if (pthread_create(&ids[i], NULL, worker, NULL) != 0) die("pthread_create");
  worker(NULL);
  for (int i = 1; i < threads; ++i) pthread_join(ids[i], NULL);
  free(ids);
  free(stack);
  return 0;
}
