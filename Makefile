# The two commands of the README: `make run` and `make test`.
BUILD_DIR := build

.PHONY: all deps configure run test clean

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

clean:
	rm -rf $(BUILD_DIR)
