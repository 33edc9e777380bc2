/* The proof of a static libmosquitto with TLS for Windows: one MQTT round trip
 * through a broker over TLS, on the library's own network thread.
 *   MosquittoProbe HOST PORT CA_FILE TOPIC MESSAGE
 * Connects with the broker's certificate checked against CA_FILE, subscribes to
 * TOPIC, publishes MESSAGE there and waits for it to come back.
 * Says first which libraries it runs on and where OpenSSL looks for its
 * configuration. Exit 0: MESSAGE came back; 2: wrong arguments or a library call refused;
 * 3: no connection (the library's log says why); 4: connected, but MESSAGE did
 * not come back. Built by scripts/build-mosquitto-windows, never by CMake. */
#include <mosquitto.h>
#include <openssl/crypto.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* Generous: the probe runs under wine on a loaded machine. It only ends a
 * probe that would otherwise wait forever. */
enum { GiveUpSeconds = 120 };

enum Outcome { Waiting, RoundTrip, NoConnection, WrongMessage };

struct Probe {
  const char* topic;
  const char* message;
  pthread_mutex_t mutex;
  pthread_cond_t changed;
  enum Outcome outcome;
  int connected;
};

static void Finish(struct Probe* probe, enum Outcome outcome) {
  pthread_mutex_lock(&probe->mutex);
  if (probe->outcome == Waiting) probe->outcome = outcome;
  pthread_cond_signal(&probe->changed);
  pthread_mutex_unlock(&probe->mutex);
}

/* The library's warnings and errors go to standard error. An error before the
 * broker accepted the connection ends the probe: a failed TLS handshake is
 * only logged, and the network thread would retry it for ever. */
static void OnLog(struct mosquitto* mosq, void* data, int level, const char* text) {
  struct Probe* probe = data;
  (void)mosq;
  if (level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING | MOSQ_LOG_NOTICE)) fprintf(stderr, "libmosquitto: %s\n", text);
  if ((level & MOSQ_LOG_ERR) && !probe->connected) Finish(probe, NoConnection);
}

static void OnConnect(struct mosquitto* mosq, void* data, int reason) {
  struct Probe* probe = data;
  if (reason != 0) {
    fprintf(stderr, "the broker refused the connection: %s\n", mosquitto_connack_string(reason));
    Finish(probe, NoConnection);
    return;
  }
  probe->connected = 1;
  printf("connected over TLS\n");
  if (mosquitto_subscribe(mosq, NULL, probe->topic, 1) != MOSQ_ERR_SUCCESS) Finish(probe, WrongMessage);
}

static void OnSubscribe(struct mosquitto* mosq, void* data, int mid, int count, const int* granted) {
  struct Probe* probe = data;
  (void)mid;
  if (count != 1 || granted[0] > 2) {
    fprintf(stderr, "the broker did not grant the subscription\n");
    Finish(probe, WrongMessage);
    return;
  }
  printf("subscribed to %s\n", probe->topic);
  int length = (int)strlen(probe->message);
  if (mosquitto_publish(mosq, NULL, probe->topic, length, probe->message, 1, false) != MOSQ_ERR_SUCCESS)
    Finish(probe, WrongMessage);
}

static void OnMessage(struct mosquitto* mosq, void* data, const struct mosquitto_message* message) {
  struct Probe* probe = data;
  (void)mosq;
  size_t length = strlen(probe->message);
  int same = strcmp(message->topic, probe->topic) == 0 && (size_t)message->payloadlen == length &&
             memcmp(message->payload, probe->message, length) == 0;
  printf("received %d bytes on %s\n", message->payloadlen, message->topic);
  Finish(probe, same ? RoundTrip : WrongMessage);
}

/* A connection that ends before the round trip: before the broker accepted
 * it (a failed handshake), no connection; after, no message. */
static void OnDisconnect(struct mosquitto* mosq, void* data, int reason) {
  struct Probe* probe = data;
  (void)mosq;
  fprintf(stderr, "disconnected: %s\n", mosquitto_strerror(reason));
  Finish(probe, probe->connected ? WrongMessage : NoConnection);
}

static enum Outcome AwaitOutcome(struct Probe* probe) {
  struct timespec deadline;
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += GiveUpSeconds;
  pthread_mutex_lock(&probe->mutex);
  while (probe->outcome == Waiting) {
    if (pthread_cond_timedwait(&probe->changed, &probe->mutex, &deadline) != 0) break;
  }
  enum Outcome outcome = probe->outcome;
  pthread_mutex_unlock(&probe->mutex);
  if (outcome == Waiting) {
    fprintf(stderr, "nothing happened in %d s\n", GiveUpSeconds);
    outcome = probe->connected ? WrongMessage : NoConnection;
  }
  return outcome;
}

static void SetCallbacks(struct mosquitto* mosq) {
  mosquitto_log_callback_set(mosq, OnLog);
  mosquitto_connect_callback_set(mosq, OnConnect);
  mosquitto_subscribe_callback_set(mosq, OnSubscribe);
  mosquitto_message_callback_set(mosq, OnMessage);
  mosquitto_disconnect_callback_set(mosq, OnDisconnect);
}

static int ExitCode(enum Outcome outcome) {
  switch (outcome) {
    case RoundTrip: return 0;
    case NoConnection: return 3;
    default: return 4;
  }
}

/* Connects and runs the network thread; the outcome, or 2 when a call refused. */
static int RunProbe(struct mosquitto* mosq, struct Probe* probe, const char* host, int port, const char* caFile) {
  int rc = mosquitto_tls_set(mosq, caFile, NULL, NULL, NULL, NULL);
  if (rc != MOSQ_ERR_SUCCESS) {
    fprintf(stderr, "mosquitto_tls_set(%s): %s\n", caFile, mosquitto_strerror(rc));
    return 2;
  }
  rc = mosquitto_connect(mosq, host, port, 30);
  if (rc != MOSQ_ERR_SUCCESS) {
    fprintf(stderr, "mosquitto_connect(%s:%d): %s\n", host, port, mosquitto_strerror(rc));
    return 3;
  }
  rc = mosquitto_loop_start(mosq);
  if (rc != MOSQ_ERR_SUCCESS) {
    fprintf(stderr, "mosquitto_loop_start: %s\n", mosquitto_strerror(rc));
    return 2;
  }
  int code = ExitCode(AwaitOutcome(probe));
  mosquitto_disconnect(mosq);
  mosquitto_loop_stop(mosq, code != 0);
  return code;
}

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: MosquittoProbe HOST PORT CA_FILE TOPIC MESSAGE\n");
    return 2;
  }
  int major, minor, revision;
  mosquitto_lib_version(&major, &minor, &revision);
  printf("libmosquitto %d.%d.%d with %s\n", major, minor, revision, OpenSSL_version(OPENSSL_VERSION));
  printf("%s\n", OpenSSL_version(OPENSSL_DIR));

  struct Probe probe = {argv[4], argv[5], PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, Waiting, 0};
  mosquitto_lib_init();
  struct mosquitto* mosq = mosquitto_new(NULL, true, &probe);
  if (!mosq) {
    fprintf(stderr, "mosquitto_new failed\n");
    return 2;
  }
  SetCallbacks(mosq);
  int code = RunProbe(mosq, &probe, argv[1], atoi(argv[2]), argv[3]);
  mosquitto_destroy(mosq);
  mosquitto_lib_cleanup();
  if (code == 0) printf("round trip: the message came back\n");
  return code;
}
