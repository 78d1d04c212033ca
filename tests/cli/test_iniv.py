#!/usr/bin/env python3
"""The iniv command on copies of the samples: bytes on disk checked exactly after each change,
what it prints, and its exit statuses.

  test_iniv.py INIV SAMPLES_DIR"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

INIV = ""
SAMPLES = ""


class IniCommand(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="iniv-test-")
        self.env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_CTYPE", "LANG")}
        self.env.update(LANG="zh_CN.UTF-8", XDG_STATE_HOME=os.path.join(self.dir, "state"))

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def sample(self, name, as_name=None):
        path = os.path.join(self.dir, as_name or name)
        shutil.copyfile(os.path.join(SAMPLES, name), path)
        return path

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def iniv(self, *args, stdin=b"", status=0, lang=None):
        env = dict(self.env, **({"LANG": lang} if lang else {}))
        result = subprocess.run([INIV, *args], input=stdin, capture_output=True, env=env, timeout=60)
        self.assertEqual(result.returncode, status, f"iniv {args}: {result.stderr.decode(errors='replace')}")
        return result.stdout, result.stderr.decode(errors="replace")

    def assertUntouched(self, path, data, stamp):
        with open(path, "rb") as f:
            self.assertEqual(f.read(), data)
        self.assertEqual(os.stat(path).st_mtime_ns, stamp)

    def snapshot(self, path):
        with open(path, "rb") as f:
            return f.read(), os.stat(path).st_mtime_ns

    def test_gbk_file_under_a_utf8_locale(self):
        path = self.sample("gbk-game.ini")
        original, _ = self.snapshot(path)
        self.assertEqual(self.iniv("get", path, "版本", "客户端版本")[0], b"2.7.13\n")
        self.assertEqual(self.iniv("keys", path, "聊天")[0].decode(), "频道过滤\n字体\n字号\n屏蔽词文件\n欢迎语\n")
        self.iniv("set", path, "画面", "画质", "中等")
        expected = original.replace("画质=高\r\n".encode("gbk"), "画质=中等\r\n".encode("gbk"))
        self.assertNotEqual(expected, original)
        self.assertEqual(self.snapshot(path)[0], expected)
        # A character GBK has no code for is refused, not stored as "?".
        _, err = self.iniv("set", path, "画面", "画质", "한", status=3)
        self.assertEqual(err, f'iniv: Unable to write to {path}. The file\'s encoding GBK cannot hold the character "한" (U+D55C).\n')
        self.assertEqual(self.snapshot(path)[0], expected)
        self.iniv("get", path, "画面", "한", status=1)

    def test_bom_crlf_and_lines_without_equals_stay(self):
        tool = self.sample("utf8-bom-tool.ini")
        original, _ = self.snapshot(tool)
        self.iniv("set", tool, "常规", "语言", "English")
        self.assertEqual(self.snapshot(tool)[0], original.replace("语言=简体中文\r\n".encode(), b"\xe8\xaf\xad\xe8\xa8\x80=English\r\n"))
        inf = self.sample("setup.inf")
        original, _ = self.snapshot(inf)
        self.assertEqual(self.iniv("get", inf, "files", "README.TXT")[0], b"\n")
        self.assertEqual(self.iniv("keys", inf, "Files")[0], b"readme.txt\nsetup.exe\nlicense.txt\n")
        self.iniv("set", inf, "Files", "setup.exe", "1")
        self.assertEqual(self.snapshot(inf)[0], original.replace(b"setup.exe\r\n", b"setup.exe=1\r\n"))

    def test_duplicates_first_answers_and_takes_the_change(self):
        path = self.write("dup.ini", b"[a]\nk=1\nk=2\n[A]\nk=3\n")
        self.assertEqual(self.iniv("get", path, " A ", "K")[0], b"1\n")
        self.assertEqual(self.iniv("sections", path)[0], b"a\nA\n")
        self.assertEqual(self.iniv("keys", path, "a")[0], b"k\nk\n")
        self.iniv("set", path, "A", "k", "9")
        self.assertEqual(self.snapshot(path)[0], b"[a]\nk=9\nk=2\n[A]\nk=3\n")
        self.iniv("rename", path, "a", "K", "first")
        self.assertEqual(self.snapshot(path)[0], b"[a]\nfirst=9\nk=2\n[A]\nk=3\n")
        self.iniv("rename", path, "a", "k", "FIRST", status=3)
        self.iniv("del", path, "a", "k")
        self.assertEqual(self.snapshot(path)[0], b"[a]\nfirst=9\n[A]\nk=3\n")
        self.iniv("del", path, "A")
        self.assertEqual(self.snapshot(path)[0], b"")

    def test_null_separated_output_keeps_empty_names(self):
        path = self.write("empty.ini", b"[]\n=e\nk=1\n=again\n[x]\n")
        self.assertEqual(self.iniv("sections", "-0", path)[0], b"\0x\0")
        self.assertEqual(self.iniv("keys", "--null", path, "")[0], b"\0k\0\0")
        self.assertEqual(self.iniv("get", "-0", path, "", "")[0], b"e\0")
        self.assertEqual(self.iniv("keys", "-0", path, "x")[0], b"")
        self.iniv("keys", "-0", path, "y", status=1)

    def test_batch_is_one_save_of_all_lines_or_none(self):
        path = self.sample("gbk-game.ini")
        lines = "\n".join([
            "# the launcher's settings",
            "set 画面 画质 '中 等'",
            'set 账号 上次登录 "星海\\"旅人\\""',
            "set 新节 键 ''",
            "del 声音",
            "del 声音 不在",
            "rename 按键 Keys",
            "rename 画面 全屏 FullScreen",
        ]).encode() + b"\r\n"
        one_by_one = self.sample("gbk-game.ini", "one-by-one.ini")
        for args in (["画面", "画质", "中 等"], ["账号", "上次登录", '星海"旅人"'], ["新节", "键", ""]):
            self.iniv("set", one_by_one, *args)
        self.iniv("del", one_by_one, "声音")
        self.iniv("rename", one_by_one, "按键", "Keys")
        self.iniv("rename", one_by_one, "画面", "全屏", "FullScreen")
        inode = os.stat(path).st_ino
        self.iniv("batch", path, stdin=lines)
        self.assertEqual(self.snapshot(path)[0], self.snapshot(one_by_one)[0])
        self.assertIn("[新节]\r\n键=\r\n".encode("gbk"), self.snapshot(path)[0])
        self.assertNotEqual(os.stat(path).st_ino, inode, "saved by rename")

    def test_a_batch_that_fails_half_way_leaves_the_file_untouched(self):
        path = self.sample("crlf.ini")
        data, stamp = self.snapshot(path)
        _, err = self.iniv("batch", path, stdin=b"set Display Width 1\nset Sound Volume 2\nset Bad] k v\nset Display Height 3\n", status=3)
        self.assertEqual(err, f"iniv: line 3: Unable to write to {path}. The file cannot hold this name or value as given.\n")
        self.assertUntouched(path, data, stamp)
        _, err = self.iniv("batch", path, stdin=b"del Sound\nrename Sound Audio\n", status=1)
        self.assertEqual(err, f"iniv: line 2: no section [Sound] in {path}\n")
        self.iniv("batch", path, stdin=b"set Display Width 1\nset Display Width\n", status=2)
        _, err = self.iniv("batch", "-e", "gbk", path, stdin="set Display Width 1\nset Display Height 한\n".encode(), status=3)
        self.assertTrue(err.startswith(f"iniv: line 2: Unable to write to {path}. The file's encoding GBK"), err)
        self.assertUntouched(path, data, stamp)

    def test_dry_run_prints_a_diff_and_writes_nothing(self):
        path = self.sample("crlf.ini")
        data, stamp = self.snapshot(path)
        out, _ = self.iniv("set", "--dry-run", path, "Sound", "Muted", "1")
        self.assertEqual(out, f"--- {path}\n+++ {path}\n@@ -4,4 +4,4 @@\n \r\n [Sound]\r\n Volume=75\r\n-Muted=0\r\n+Muted=1\r\n".encode())
        out, _ = self.iniv("batch", "-n", path, stdin=b"del Display\nset Sound Volume 75\n")
        self.assertEqual(out, f"--- {path}\n+++ {path}\n@@ -1,6 +1,3 @@\n-[Display]\r\n-Width=1024\r\n-Height=768\r\n \r\n [Sound]\r\n Volume=75\r\n".encode())
        self.iniv("set", "-n", path, "Sound", "Muted", "0")
        self.iniv("del", "-n", path, "Sound", "Loud", status=1)
        self.iniv("set", "-n", path, "Sound", "Mu\\ted=", "x", status=3)
        self.assertUntouched(path, data, stamp)
        gbk = self.sample("gbk-game.ini")
        out, _ = self.iniv("set", "-n", gbk, "网络", "代理", "开")
        self.assertIn("-代理=0\r\n+代理=开\r\n", out.decode())

    def test_exit_statuses_and_reasons(self):
        path = self.sample("simple.ini")
        self.assertIn(b"Exit status", self.iniv("--help")[0])
        self.assertIn("iniv get game.ini 画面 画质\n".encode("gbk"), self.iniv("--help", lang="zh_CN.GBK")[0])
        _, err = self.iniv(status=2)
        self.assertEqual(err, "iniv: no command given\nTry 'iniv --help'.\n")
        self.iniv("get", path, "x", status=2)
        _, err = self.iniv("get", path, "nowhere", "x", status=1)
        self.assertEqual(err, f"iniv: no section [nowhere] in {path}\n")
        _, err = self.iniv("get", path, "General", "nothing", status=1)
        self.assertEqual(err, f"iniv: no key \"nothing\" in section [General] of {path}\n")
        self.iniv("keys", path, "nowhere", status=1)
        self.iniv("del", path, "nowhere", status=1)
        self.iniv("rename", path, "nowhere", "x", status=1)
        _, err = self.iniv("get", os.path.join(self.dir, "none.ini"), "a", "b", status=1)
        self.assertIn("No such file", err)
        self.iniv("del", os.path.join(self.dir, "none.ini"), "a", status=1)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "none.ini")))
        _, err = self.iniv("sections", self.dir, status=3)
        self.assertEqual(err, f"iniv: Unable to read {self.dir}. Not a regular file.\n")
        pipe = os.path.join(self.dir, "pipe")
        os.mkfifo(pipe)
        _, err = self.iniv("del", pipe, "a", status=3)
        self.assertEqual(err, f"iniv: Unable to write to {pipe}. Not a regular file.\n")
        os.chmod(path, 0o444)
        data, stamp = self.snapshot(path)
        _, err = self.iniv("set", path, "General", "Name", "x", status=3)
        self.assertEqual(err, f"iniv: Unable to write to {path}. The file is read-only.\n")
        self.assertUntouched(path, data, stamp)
        with open("/dev/full", "wb") as full:
            result = subprocess.run([INIV, "sections", path], stdout=full, stderr=subprocess.PIPE, env=self.env, timeout=60)
        self.assertEqual((result.returncode, result.stderr), (3, b"iniv: Unable to write to standard output.\n"))
        made = os.path.join(self.dir, "made.ini")
        self.iniv("set", made, "a", "k", "1")
        self.assertEqual(self.snapshot(made)[0], b"[a]\nk=1\n")

    def test_a_file_too_large_for_the_engine_is_refused_by_every_read(self):
        path = os.path.join(self.dir, "huge.ini")
        try:
            with open(path, "wb") as f:
                f.write(b"[a]\nk=1\n")
                f.truncate(4 << 30)  # sparse: no disk used
        except OSError as error:
            self.skipTest(f"no sparse 4 GiB file here: {error}")
        _, refusal = self.iniv("set", path, "a", "k", "2", status=3)
        reason = refusal.split(". ", 1)[1]
        for args in (("get", path, "a", "k"), ("sections", path), ("keys", path, "a")):
            out, err = self.iniv(*args, status=3)
            self.assertEqual((out, err), (b"", f"iniv: Unable to read {path}. {reason}"), args)

    def test_words_not_valid_in_the_locale_encoding_are_refused_unless_raw(self):
        path = self.write("utf8.ini", "[a]\nk=中\n".encode())
        data, stamp = self.snapshot(path)
        refusal = "\"\ufffd\" is not valid UTF-8 text, the locale's encoding (--raw takes bytes as they are)"
        _, err = self.iniv("set", path, "a", "k", b"\xff", status=2)
        self.assertEqual(err, f"iniv: {refusal}\n")
        self.iniv("get", path, b"\xff", "k", status=2)
        _, err = self.iniv("batch", path, stdin=b"set a k ok\nset a j \xff\n", status=2)
        self.assertEqual(err, f"iniv: line 2: {refusal}\n")
        self.assertUntouched(path, data, stamp)
        # Under a GBK locale the same byte is no GBK text either; a GBK character is.
        self.iniv("set", path, "a", "k", b"\xff", status=2, lang="zh_CN.GBK")
        self.iniv("set", path, "a", "k", "画".encode("gbk"), lang="zh_CN.GBK")
        self.assertEqual(self.snapshot(path)[0], "[a]\nk=画\n".encode())
        # Meant: the bytes go in as they are, and read back as they are.
        self.iniv("--raw", "set", path, "a", "k", b"\xff")
        self.assertEqual(self.snapshot(path)[0], b"[a]\nk=\xff\n")
        self.iniv("--raw", "batch", path, stdin=b"set a j \xfe\n")
        self.assertEqual(self.snapshot(path)[0], b"[a]\nk=\xff\nj=\xfe\n")

    def test_utf16_is_written_in_its_own_units(self):
        path = self.sample("utf16le-setup.ini")
        data, _ = self.snapshot(path)
        self.assertEqual(self.iniv("get", path, "setup", "ProductName")[0], b"Photo Organizer\n")
        self.iniv("set", path, "Setup", "ProductName", "中文\U00020BB7")
        old = "ProductName=Photo Organizer\r\n".encode("utf-16-le")
        new = "ProductName=中文\U00020BB7\r\n".encode("utf-16-le")
        self.assertIn(old, data)
        self.assertEqual(self.snapshot(path)[0], data.replace(old, new))
        self.assertEqual(self.iniv("get", path, "setup", "ProductName")[0], "中文\U00020BB7\n".encode())

    def test_a_binary_file_is_read_and_never_written(self):
        path = self.write("tool.exe", b"MZ\x90\x00\x03\x00\x00\x00[x]\rmain=01\r")
        data, stamp = self.snapshot(path)
        self.iniv("sections", path)
        for args in (("set", path, "x", "main", "02"), ("set", path, "new", "k", "v"), ("del", path, "x")):
            _, err = self.iniv(*args, status=3)
            self.assertIn(f"Unable to write to {path}. It holds a NUL byte", err)
        self.assertUntouched(path, data, stamp)

    def test_the_encoding_forced_or_chosen_in_the_viewer(self):
        path = self.sample("gbk-game.ini")
        gbk = self.iniv("sections", path)[0]
        big5 = self.iniv("sections", "--encoding=big5", path)[0]
        self.assertNotEqual(gbk, big5)
        # Chosen in the viewer while its bytes gave the verdict GBK.
        store = os.path.join(self.dir, "state", "iniviewer")
        os.makedirs(store)
        with open(os.path.join(store, "encodings"), "w") as f:
            f.write(f"iniviewer encodings 1\n950 936 0 {os.path.realpath(path)}\n")
        self.assertEqual(self.iniv("sections", path)[0], big5)
        self.assertEqual(self.iniv("sections", "-e", "GBK", path)[0], gbk)
        # A GBK terminal gets GBK bytes, whatever the file's encoding.
        utf8 = self.sample("utf8-bom-tool.ini")
        self.assertEqual(self.iniv("get", utf8, "常规".encode("gbk"), "语言".encode("gbk"), lang="zh_CN.GBK")[0], "简体中文\n".encode("gbk"))

    def diff_files(self):
        """The same settings as a GBK, a Big5 and a UTF-8 file, spaced and ended differently."""
        text = "; 設定\n[設定]\n名稱 = 中文\nk=1\nk=2\n[其他]\n開=\"是\"\n"
        gbk = self.write("gbk.ini", text.replace("\n", "\r\n").encode("gbk"))
        big5 = self.write("big5.ini", text.replace(" = ", "=").replace("[其他]", "[ 其他 ]").encode("big5"))
        utf8 = self.write("utf8.ini", b"\xef\xbb\xbf" + "[其他]\n開=是\n[設定]\nK=1\n名稱=中文\nk=2\n".encode())
        return gbk, big5, utf8

    def test_diff_of_one_content_in_three_encodings_finds_nothing(self):
        gbk, big5, utf8 = self.diff_files()
        stamps = [self.snapshot(path) for path in (gbk, big5, utf8)]
        pairs = ((gbk, "gbk", big5, "big5"), (big5, "big5", utf8, "utf-8"), (utf8, "utf-8", gbk, "gbk"))
        for left, left_encoding, right, right_encoding in pairs:
            args = ("diff", "--porcelain", "-e", left_encoding, "--right-encoding", right_encoding, left, right)
            self.assertEqual(self.iniv(*args)[0], b"")
        out = self.iniv("diff", "-e", "gbk", "--right-encoding=utf-8", gbk, utf8)[0].decode()
        self.assertEqual(out, f"< {gbk} (GBK)\n> {utf8} (UTF-8 (BOM))\n\nNo differences: the same sections, keys and values\n")
        for path, (data, stamp) in zip((gbk, big5, utf8), stamps):
            self.assertUntouched(path, data, stamp)

    def test_diff_porcelain_lists_each_kind_in_the_left_files_order(self):
        left = self.write("left.ini", "[設定]\r\n名稱=中文\r\n只在左=1\r\nk=1\r\nk=2\r\n[左節]\r\na=1\r\n[同]\r\nx\r\n".encode("gbk"))
        right_text = "[右節]\nb=2\n[同]\nx=\n[設定]\n名稱=英文\nk=1\nk=3\n只在右=\t二\n"
        expected = ("changed\t設定\t名稱\t中文\t英文\n"
                    "left-only\t設定\t只在左\t1\n"
                    "changed\t設定\tk\t2\t3\n"
                    "right-only\t設定\t只在右\t二\n"
                    "left-only\t左節\n"
                    "right-only\t右節\n").encode()
        for encoding, name in (("big5", "Big5"), ("utf-8", "UTF-8")):
            right = self.write(f"right-{encoding}.ini", right_text.encode(encoding))
            out = self.iniv("diff", "--porcelain", "--encoding=gbk", "--right-encoding", encoding, left, right, status=1)[0]
            self.assertEqual(out, expected, name)
        # For people: "<" lines are the left file's, ">" the right's.
        out = self.iniv("diff", "-e", "gbk", "--right-encoding", "utf-8", left, right, status=1)[0].decode()
        self.assertEqual(out, f"< {left} (GBK)\n> {right} (UTF-8)\n\n[設定]\n< 名稱=中文\n> 名稱=英文\n< 只在左=1\n"
                              "< k=2\n> k=3\n> 只在右=二\n\n< [左節] and its 1 key\n> [右節] and its 1 key\n\n6 differences\n")
        # A GBK terminal gets the names and values in GBK.
        gbk_out = self.iniv("diff", "--porcelain", "-e", "gbk", "--right-encoding", "utf-8", left, right, status=1, lang="zh_CN.GBK")[0]
        self.assertEqual(gbk_out, expected.decode().encode("gbk"))

    def test_diff_exit_statuses(self):
        gbk, big5, _ = self.diff_files()
        self.iniv("diff", "-e", "gbk", "--right-encoding", "big5", gbk, big5, status=0)
        self.iniv("diff", "-e", "big5", "--right-encoding", "big5", gbk, big5, status=1)
        for args in (("diff", gbk), ("diff", gbk, big5, gbk), ("diff", "--right-encoding", "nope", gbk, big5),
                     ("get", "--porcelain", gbk, "a", "b"), ("diff", "--null", gbk, big5)):
            self.iniv(*args, status=2)
        folder = os.path.join(self.dir, "folder")
        os.mkdir(folder)
        for other in (os.path.join(self.dir, "missing.ini"), folder):
            _, err = self.iniv("diff", gbk, other, status=3)
            self.assertTrue(err.startswith(f"iniv: Unable to read {other}. "), err)
            self.iniv("diff", other, gbk, status=3)

    def test_links_neither_qt_nor_a_display(self):
        libraries = subprocess.run(["ldd", INIV], capture_output=True, text=True, timeout=60).stdout
        self.assertIn("libc.so", libraries)
        for name in ("libQt", "libX11", "libxcb", "libwayland", "libGL", "libEGL"):
            self.assertNotIn(name, libraries)
        # Starts with no display at all.
        env = {k: v for k, v in self.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        result = subprocess.run([INIV, "sections", os.path.join(SAMPLES, "crlf.ini")], capture_output=True, env=env, timeout=60)
        self.assertEqual((result.returncode, result.stdout), (0, b"Display\nSound\n"))


if __name__ == "__main__":
    INIV, SAMPLES = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
