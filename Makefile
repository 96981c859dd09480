# Two commands for a newcomer: `make run` and `make test`.
BUILD ?= build
CHECK_BUILD ?= build-check
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench check fuzz assets screenshots clean

deps:
	@bash scripts/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	$(BUILD)/game/kurunoa $(ARGS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j2

assets: configure
	@cmake --build $(BUILD) --target assets

clean:
	rm -rf $(BUILD) $(CHECK_BUILD)
