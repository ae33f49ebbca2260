"""An installation into a prefix of its own, used as people use one: a C++
program built against it with find_package and with pkg-config, the Python
module imported from its site-packages, the tool, the man page and the
completion in their places."""
import os
import shutil
import subprocess
import sys

import pytest

BUILD = os.environ["VORLANE_BUILD_DIR"]
HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd, **kw):
    done = subprocess.run(cmd, capture_output=True, text=True, **kw)
    assert done.returncode == 0, (cmd, done.stdout, done.stderr)
    return done


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    prefix = tmp_path_factory.mktemp("prefix")
    run(["cmake", "--install", BUILD, "--prefix", str(prefix)])
    return prefix


def clean_env(**extra):
    """No trace of the build tree: no registry of its own, no paths into it."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("VORLANE_", "PYTHON", "LD_"))}
    env["VORLANE_REGISTRY"] = "/nonexistent/registry"
    env.update(extra)
    return env


def test_the_installation_has_its_parts(prefix):
    for part in ("bin/vorlane", "lib/libvorlane_objects.so", "lib/libvorlane_com.so", "share/vorlane/registry",
                 "include/vorlane/vorlane/library.h", "include/vorlane/platform/com/registry.h",
                 "lib/cmake/Vorlane/VorlaneConfig.cmake", "lib/pkgconfig/vorlane.pc",
                 "share/man/man1/vorlane.1", "share/bash-completion/completions/vorlane"):
        assert (prefix / part).exists(), part
    registry = (prefix / "share/vorlane/registry").read_text()
    assert f"QXVorlane.Library\t{prefix}/lib/libvorlane_objects.so" in registry
    assert BUILD not in registry
    assert run([str(prefix / "bin/vorlane"), "--version"], env=clean_env()).stdout == "vorlane 4.1\n"


def test_a_program_outside_builds_with_find_package(prefix, tmp_path):
    build = tmp_path / "build"
    run(["cmake", "-S", os.path.join(HERE, "outside"), "-B", str(build), "-G", "Ninja",
         f"-DCMAKE_PREFIX_PATH={prefix}", f"-DCMAKE_CXX_COMPILER={os.environ['VORLANE_CXX']}"])
    run(["cmake", "--build", str(build)])
    assert run([str(build / "outside")], env=clean_env()).stdout == "_Library\n"


@pytest.mark.skipif(not shutil.which("pkg-config"), reason="no pkg-config on this machine")
def test_a_program_outside_builds_with_pkg_config(prefix, tmp_path):
    flags = run(["pkg-config", "--cflags", "--libs", "vorlane"],
                env=clean_env(PKG_CONFIG_PATH=str(prefix / "lib/pkgconfig"))).stdout.split()
    program = tmp_path / "outside"
    run([os.environ["VORLANE_CXX"], os.path.join(HERE, "outside", "main.cpp"), "-o", str(program)] + flags)
    assert run([str(program)], env=clean_env()).stdout == "_Library\n"


def test_the_python_module_imports_from_the_installation(prefix):
    (site,) = (prefix / "lib").glob("python3*/site-packages")
    stub = (site / "vorlane.pyi").read_text()
    assert "class ProcessStateEnum(enum.IntEnum):" in stub and "def create(progid: str) -> Object: ..." in stub
    script = ("import vorlane; "
              "library = vorlane.create('QXVorlane.Library'); "
              "library.Connection = vorlane.open_store().open_session('alice'); "
              "process = library.Templates.AddNew(); process.Name = 'Installed'; "
              "print(vorlane.__file__.startswith(%r), process.Name)" % str(site))
    done = run([sys.executable, "-c", script], env=clean_env(PYTHONPATH=str(site), PYTHONDONTWRITEBYTECODE="1"))
    assert done.stdout == "True Installed\n"
