; =============================================================================
; FAT32 boot program: bytes 90..511 of the volume's boot sector.
;
; The formatter writes bytes 0..89 (jump EB 5A 90, OEM name, BPB and its FAT32
; extension); this program fills the rest. It finds KERNEL.SYS in the root
; directory, loads it whole clusters at a time to 0060:0000 and starts it with
; BL = boot drive, SS:BP -> boot sector, DS = 1FE0h.
;
; Memory map (real-mode linear addresses)
;   00600 ..           directory sectors during the search, then the kernel
;   07C00 .. 07DFF     the sector as the firmware loaded it (left behind)
;   20000 .. 201FF     one-sector FAT cache (segment 2000h); the kernel must
;                      end at or below 20000h
;   277E0              top of the stack (1FE0:7BE0), growing down
;   27A00 .. 27BFF     the relocated sector (1FE0:7C00); DS = SS = 1FE0h,
;                      BP = 7C00h, so BPB fields are [bp+offset]
;
; Fixed places in the sector
;   90..91    cld, cli (never executed: the jump at 0 lands at 92)
;   92        entry
;   118..121  far pointer 0060:0000, the load address
;   122       continuation after the relocating far jump (1FE0:7C7A)
;   449..465  "Loading FreeDOS ", 0
;   494..508  "No KERNEL  SYS", 0; bytes 497..507 are the name searched for
;   510..511  55 AA
; =============================================================================

        cpu     386
        bits    16
        org     0x7C00

%define RELOC_SEG       0x1FE0          ; where the sector runs after the copy
%define LOAD_SEG        0x0060          ; kernel and directory buffer segment
%define FAT_CACHE_SEG   0x2000          ; one-sector FAT cache
%define STACK_TOP       0x7BE0          ; 32 bytes below the relocated sector
%define KERNEL_END_PARA 0x2000          ; the kernel may not pass 2000:0000
%define READ_TRIES      5

; BPB fields of the sector, addressed through BP = 7C00h.
%define BPB_BYTES_PER_SECTOR    bp+11   ; word
%define BPB_SECTORS_PER_CLUSTER bp+13   ; byte
%define BPB_RESERVED_SECTORS    bp+14   ; word
%define BPB_FAT_COUNT           bp+16   ; dword: FAT count, root entries and
                                        ; the low byte of the 16-bit total are 0
%define BPB_HIDDEN_SECTORS      bp+28   ; dword: the partition's first LBA
%define BPB_SECTORS_PER_FAT     bp+36   ; dword
%define BPB_ROOT_CLUSTER        bp+44   ; dword
%define BPB_DRIVE_NUMBER        bp+64   ; byte: replaced by the drive in DL

; Variables in the copy's volume ID and label bytes.
%define VAR_CACHED_FAT_LBA      bp+68   ; LBA of the FAT sector in the cache
%define VAR_FAT_LBA             bp+72   ; first FAT
%define VAR_DATA_LBA            bp+76   ; cluster 2
%define LOAD_POINTER            bp+118  ; the far pointer below

%define END_OF_CHAIN    0x0FFFFFF8
%define CLUSTER_MASK    0x0FFFFFFF

%include "place.inc"

; -----------------------------------------------------------------------------
; Bytes 0..89 belong to the formatter.
; -----------------------------------------------------------------------------
        times 90 db 0
        cld                             ; 90: not executed
        cli                             ; 91: not executed

; -----------------------------------------------------------------------------
; Entry (92): copy the sector to 1FE0:7C00 and continue there.
; In: DL = boot drive, direction flag clear (as the firmware leaves it)
; -----------------------------------------------------------------------------
entry:
        xor     ax, ax
        mov     ds, ax                  ; DS:SI = 0000:7C00, the loaded sector
        mov     si, 0x7C00
        mov     ax, RELOC_SEG
        mov     es, ax                  ; ES:DI = 1FE0:7C00
        mov     di, si
        mov     cx, 256
        rep     movsw                   ; 512 bytes, forward
        mov     ds, ax                  ; DS = 1FE0h from here on
        jmp     RELOC_SEG:relocated     ; AX still holds 1FE0h

        place   118
load_pointer:
        dw      0x0000, LOAD_SEG        ; 118: kernel load address

; -----------------------------------------------------------------------------
; Start-up in the copy (122).
; -----------------------------------------------------------------------------
relocated:
        mov     ss, ax                  ; SS = DS = 1FE0h
        mov     sp, STACK_TOP
        mov     bp, 0x7C00              ; BP -> the relocated sector
        sti
        mov     [BPB_DRIVE_NUMBER], dl  ; every read uses the firmware's drive
        mov     si, msg_loading
        call    print

        mov     eax, [BPB_FAT_COUNT]
        mul     dword [BPB_SECTORS_PER_FAT]     ; EAX = sectors of all FATs
        movzx   ecx, word [BPB_RESERVED_SECTORS]
        add     ecx, [BPB_HIDDEN_SECTORS]
        mov     [VAR_FAT_LBA], ecx      ; first FAT = reserved + hidden
        add     eax, ecx
        mov     [VAR_DATA_LBA], eax     ; data = first FAT + FATs x FAT size
        mov     [VAR_CACHED_FAT_LBA], eax       ; cleared: no FAT sector lies there

        ; FAT entries per sector as a shift: log2(bytes per sector / 4),
        ; 7 for 512 bytes, 8 for 1024. It is patched into fat_next.
        bsf     cx, [BPB_BYTES_PER_SECTOR]
        dec     cx
        dec     cx
        mov     [fat_shift + 3], cl

; -----------------------------------------------------------------------------
; Root directory search: every entry of every sector of every cluster of the
; root chain is compared with "KERNEL  SYS" (11 bytes; no attribute test).
; -----------------------------------------------------------------------------
        mov     eax, [BPB_ROOT_CLUSTER]
dir_cluster:
        call    cluster_lba             ; ESI = the cluster, for the FAT lookup
        jc      no_kernel               ; the chain ended without a match
dir_sector:                             ; CX = sectors of the cluster left
        les     bx, [LOAD_POINTER]      ; directory sector -> 0060:0000
        call    read_sector
        xor     di, di                  ; ES:DI -> first entry
dir_entry:
        pusha
        mov     si, kernel_name
        mov     cl, 11                  ; CH = 0: CX counts at most 255 sectors
        repe    cmpsb
        popa                            ; flags kept
        je      found
        add     di, 32
        cmp     di, [BPB_BYTES_PER_SECTOR]
        jb      dir_entry
        inc     eax                     ; next sector of the cluster
        loop    dir_sector
        xchg    eax, esi
        call    fat_next
        jmp     dir_cluster

; -----------------------------------------------------------------------------
; Load: the kernel's clusters, every sector, into consecutive memory from
; 0060:0000 (ES:BX as the search left it). The offset advances by the sector
; size; when it wraps past 64 KiB the segment advances by 1000h.
; -----------------------------------------------------------------------------
found:
        mov     eax, [es:di+18]         ; high half of the first cluster (20)
        mov     ax, [es:di+26]          ; low half
        mov     di, KERNEL_END_PARA - LOAD_SEG  ; paragraphs the kernel may fill
load_cluster:
        call    cluster_lba
        jc      start_kernel            ; end of the kernel's chain
load_sector:                            ; CX = sectors of the cluster left
        mov     dx, [BPB_BYTES_PER_SECTOR]
        shr     dx, 4
        sub     di, dx                  ; the sector must end at or below
        jc      too_big                 ; 2000:0000, where the FAT cache lies
        call    read_sector
        add     bx, [BPB_BYTES_PER_SECTOR]
        jnc     .same_segment
        mov     dx, es
        add     dh, 0x10                ; next 64 KiB
        mov     es, dx
.same_segment:
        inc     eax
        loop    load_sector
        xchg    eax, esi
        push    es
        push    bx
        call    fat_next
        pop     bx
        pop     es
        jmp     load_cluster

start_kernel:
        mov     bl, [BPB_DRIVE_NUMBER]  ; BL = drive; SS:BP, DS as set up
        jmp     far [LOAD_POINTER]      ; 0060:0000

; -----------------------------------------------------------------------------
; Ends: a text, a key press, then the bootstrap loader.
; -----------------------------------------------------------------------------
too_big:
        mov     si, msg_too_big
        jmp     fatal
no_kernel:
        mov     si, msg_no_kernel
fatal:
        call    print
        cbw                             ; AH = 0 (AL = 0 after print)
        int     0x16                    ; wait for a key
        int     0x19

; -----------------------------------------------------------------------------
; print: BIOS teletype output of a zero-terminated text.
; In:  DS:SI -> text
; Out: AL = 0
; Clobbers: AX, BX, SI
; -----------------------------------------------------------------------------
print:
        xor     bx, bx                  ; page 0
.next:
        lodsb
        test    al, al
        jz      .done
        mov     ah, 0x0E
        int     0x10
        jmp     .next
.done:
        ret

; -----------------------------------------------------------------------------
; read_sector: one sector with INT 13h function 42h, tried up to 5 times with
; a drive reset between tries. A sector that will not read ends in the error
; text, a key press and INT 19h.
; In:  EAX = LBA on the disk, ES:BX = buffer
; Clobbers: nothing
; -----------------------------------------------------------------------------
read_sector:
        pushad
        push    dword 0                 ; packet: LBA bits 32..63
        push    eax                     ;         LBA bits 0..31
        push    es                      ;         buffer segment
        push    bx                      ;         buffer offset
        push    byte 1                  ;         one sector
        push    byte 16                 ;         size 16, reserved 0
        mov     si, sp                  ; DS:SI -> packet (DS = SS)
        mov     di, READ_TRIES
        mov     dl, [BPB_DRIVE_NUMBER]
.try:
        mov     ah, 0x42
        int     0x13
        jnc     .done
        xor     ax, ax                  ; reset the drive
        int     0x13
        mov     byte [si+2], 1          ; a failed read may have changed the count
        dec     di
        jnz     .try
        mov     si, msg_read_error
        jmp     fatal
.done:
        add     sp, 16                  ; drop the packet
        popad
        ret

; -----------------------------------------------------------------------------
; cluster_lba
; In:  EAX = cluster
; Out: ESI = the cluster; CF set when it ends the chain (>= 0FFFFFF8h), else
;      EAX = the LBA of its first sector and ECX = sectors per cluster
; Clobbers: EDX
; -----------------------------------------------------------------------------
cluster_lba:
        mov     esi, eax
        cmp     eax, END_OF_CHAIN
        cmc
        jc      .done
        dec     eax
        dec     eax
        movzx   ecx, byte [BPB_SECTORS_PER_CLUSTER]
        mul     ecx
        add     eax, [VAR_DATA_LBA]     ; no carry for LBAs below 2^32
.done:
        ret

; -----------------------------------------------------------------------------
; fat_next: look the cluster up in the first FAT, through the cache.
; In:  EAX = cluster
; Out: EAX = next cluster, top four bits cleared
; Clobbers: BX, SI, ES
; -----------------------------------------------------------------------------
fat_next:
        mov     si, ax                  ; the low bits give the entry offset
fat_shift:
        shr     eax, 7                  ; FAT sector index (shift patched)
        add     eax, [VAR_FAT_LBA]
        push    word FAT_CACHE_SEG
        pop     es
        xor     bx, bx                  ; ES:BX = 2000:0000
        cmp     eax, [VAR_CACHED_FAT_LBA]
        je      .cached
        mov     [VAR_CACHED_FAT_LBA], eax
        call    read_sector
.cached:
        shl     si, 2                   ; (cluster x 4) AND (bytes per sector - 1)
        mov     bx, [BPB_BYTES_PER_SECTOR]
        dec     bx
        and     si, bx
        mov     eax, [es:si]
        and     eax, CLUSTER_MASK
        ret

        place   449
msg_loading:
        db      "Loading FreeDOS ", 0, 0        ; 449..466
msg_read_error:
        db      "Read error", 0
msg_too_big:
        db      "Kernel too big", 0

        place   494
msg_no_kernel:
        db      "No "
kernel_name:
        db      "KERNEL  SYS", 0                ; 497..507 and its zero at 508

        place   510
        db      0x55, 0xAA
