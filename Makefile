# The two set-up commands of the README. Both install what a fresh Debian 12 machine lacks when
# run as root.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2

.PHONY: all deps build check demo demo-telnet clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

check: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

demo: build
	@demo/run-demo.sh $(BUILD)

# The demo system for telnet callers on 127.0.0.1:$(PORT), until stopped.
PORT ?= 2323
demo-telnet: build
	@demo/run-demo.sh $(BUILD) telnet $(PORT)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
