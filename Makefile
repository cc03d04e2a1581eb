# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
BUILD_DIR := build

.PHONY: all deps configure run test package test-sanitize fuzz soak clean

all: deps configure
	cmake --build $(BUILD_DIR) -j2

deps:
	@tools/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja; \
	fi

run: all
	@tools/run.sh $(BUILD_DIR)

test: all
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# A Debian package of the installed program, in build/.
package: all
	cd $(BUILD_DIR) && cpack

# The whole suite with AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded tests
# with ThreadSanitizer, each in a build folder of its own.
SANITIZER_ENV := QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	TSAN_OPTIONS="suppressions=$(CURDIR)/tools/tsan.supp halt_on_error=1 die_after_fork=0"
THREADED_TESTS := tests_platform tests_music tests_scores tests_game tests_library tests_app
# ThreadSanitizer cannot follow a child forked from a process with threads that starts threads
# of its own (the program run whole in a child, an export killed in a child): those tests run in
# the other builds only.
TSAN_SKIPPED := StartupTest.FatalSoundErrorEndsTheProgram:StartupTest.CommitDataAndEndDuringStartUp:ExportCommandTest.LeavesNothingBehind

test-sanitize: deps
	@if [ ! -f build-asan/build.ninja ]; then \
		cmake -S . -B build-asan -G Ninja -DVORKA_SANITIZERS=address,undefined; \
	fi
	cmake --build build-asan -j2
	$(SANITIZER_ENV) ctest --test-dir build-asan --output-on-failure
	@if [ ! -f build-tsan/build.ninja ]; then \
		cmake -S . -B build-tsan -G Ninja -DVORKA_SANITIZERS=thread; \
	fi
	cmake --build build-tsan -j2 --target $(THREADED_TESTS)
	$(SANITIZER_ENV) GTEST_FILTER=-$(TSAN_SKIPPED) ctest --test-dir build-tsan --output-on-failure \
		-R '^($(subst $(eval) ,|,$(THREADED_TESTS)))$$'

# libFuzzer runs of every file reader, a fixed number of executions each, from seeds that the
# program's own writers make. A crash leaves its input in build-fuzz/fuzz/.
FUZZ_TARGETS := playlist:20000 playlistformats:20000 highscores:20000 profile:20000 commandline:20000 module:5000 bitmap:4000

fuzz: deps
	@if [ ! -f build-fuzz/build.ninja ]; then \
		CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVORKA_FUZZ=ON \
			-DVORKA_SANITIZERS=address,undefined; \
	fi
	cmake --build build-fuzz -j2 --target fuzz_seeds $(foreach t,$(FUZZ_TARGETS),fuzz_$(firstword $(subst :, ,$(t))))
	cd build-fuzz/fuzz && rm -rf seeds && ./fuzz_seeds seeds
	@set -e; cd build-fuzz/fuzz; for entry in $(FUZZ_TARGETS); do \
		target=$${entry%%:*}; runs=$${entry##*:}; mkdir -p corpus/$$target; \
		echo "fuzzing $$target ($$runs runs)"; \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp QT_QPA_PLATFORM=offscreen \
			./fuzz_$$target -runs=$$runs -max_len=4096 -timeout=10 corpus/$$target seeds/$$target 2>&1 | \
			grep -E "^(Done|==.*ERROR|SUMMARY)" ; \
		test $${PIPESTATUS[0]} -eq 0; \
	done

# The real program for SOAK_MINUTES (10) minutes under Xvfb with flat memory, then a shorter
# run of the AddressSanitizer build whose LeakSanitizer must find nothing at exit.
SOAK_MINUTES ?= 10
SOAK_LEAK_MINUTES ?= 3

soak: all
	xvfb-run -a -s "-screen 0 1024x768x24" e2e/soak.sh $(BUILD_DIR) $(BUILD_DIR)/e2e/e2e_modules \
		$(BUILD_DIR)/e2e $(SOAK_MINUTES)
	@if [ ! -f build-asan/build.ninja ]; then \
		cmake -S . -B build-asan -G Ninja -DVORKA_SANITIZERS=address,undefined; \
	fi
	cmake --build build-asan -j2 --target vorka e2e_modules
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp xvfb-run -a -s "-screen 0 1024x768x24" \
		e2e/soak.sh build-asan build-asan/e2e/e2e_modules $(BUILD_DIR)/e2e $(SOAK_LEAK_MINUTES)

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan build-fuzz
