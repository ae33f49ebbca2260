import pytest

import vorlane


@pytest.fixture
def collection():
    return vorlane.Collection()


@pytest.fixture
def source():
    import vorlane_test_support  # registers the test classes in the process

    return vorlane.create("QXVorlaneTest.EventSource")
